# SPDX-License-Identifier: GPL-3.0-or-later
# lintian, with every tag shown (info and pedantic too), finds no error and no warning in either package. The tags
# that a package overrides itself (usr/share/lintian/overrides) are named and justified in the README.
include(${CMAKE_CURRENT_LIST_DIR}/PackageCommon.cmake)
execute_process(COMMAND lintian -I -E --pedantic --tag-display-limit 0 "${quendry_deb}" "${quendry-gui_deb}"
                OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULT_VARIABLE code)
if(code STREQUAL "No such file or directory")
    message(FATAL_ERROR "lintian is not installed: make package-check installs it")
endif()
message(STATUS "lintian:\n${report}${errors}")
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]+" faults "${report}")
if(faults OR NOT code EQUAL 0)
    message(FATAL_ERROR "lintian exited with ${code} and reports:${faults}")
endif()
