# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file outside app/ includes app/: the program stands on every other layer and none stands on it.
# Run by CTest with -DROOT=<source folder>.
set(violations "")
file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/*.cpp" "${ROOT}/*.h")
foreach(source IN LISTS sources)
    if(source MATCHES "^(build|app/|tests/app/)")
        continue()
    endif()
    file(STRINGS "${ROOT}/${source}" includes REGEX "^#include \"app/")
    foreach(line IN LISTS includes)
        list(APPEND violations "${source}: ${line}")
    endforeach()
endforeach()
if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Includes that point up into app/:\n${text}")
endif()
