# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the packages of the build folder BUILD into OUT/debs and unpacks them: each alone into OUT/quendry and
# OUT/quendry-gui, both into OUT/desktop.
include(${CMAKE_CURRENT_LIST_DIR}/PackageCommon.cmake)
file(REMOVE_RECURSE "${OUT}")
run_checked(output COMMAND "${CPACK}" -G DEB -B "${OUT}/debs" --config "${BUILD}/CPackConfig.cmake")
file(GLOB packages RELATIVE "${OUT}/debs" "${OUT}/debs/*.deb")
list(SORT packages)
set(expected "quendry-gui_${VERSION}_${ARCH}.deb;quendry_${VERSION}_${ARCH}.deb")
if(NOT packages STREQUAL expected)
    message(FATAL_ERROR "cpack made ${packages}, expected ${expected}:\n${output}")
endif()
foreach(package IN ITEMS quendry quendry-gui)
    run_checked(output COMMAND dpkg -x "${${package}_deb}" "${OUT}/${package}")
    run_checked(output COMMAND dpkg -x "${${package}_deb}" "${desktop}")
endforeach()
