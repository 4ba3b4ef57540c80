# SPDX-License-Identifier: GPL-3.0-or-later
# The commands run from the unpacked quendry package alone, as on a server box without a display: --version,
# paths (the installed layout, the side files from the package's share/quendry), run --no-launch, and bare
# quendry, which says how to install the window. With quendry-gui beside it, the window opens.
include(${CMAKE_CURRENT_LIST_DIR}/PackageCommon.cmake)
set(user "${OUT}/user")
file(REMOVE_RECURSE "${user}")
file(MAKE_DIRECTORY "${user}/config" "${user}/home" "${user}/tmp")
file(WRITE "${user}/game/CoDMP.exe" "")
file(WRITE "${user}/game/main/config_mp.cfg" "seta sv_fps \"20\"\r\n")
file(WRITE "${user}/config/quendry/maps.ini" "mp_harbor=[dm] [bhm]\r\n")
file(WRITE "${user}/settings.ini" "[MainForm]\r\nsv_hostname=Packaged server\r\n[MainFormListBoxSelectedMaps]\r\n"
                                 "L0=mp_harbor\r\nItemIndex=-1\r\n[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n")

# quendry(<output variable> <tree> <expected exit code> <extra environment> arguments...): runs bin/quendry of an
# unpacked tree as the user of ${user}, without a display, and gives its output and error together.
function(quendry result tree expected environment)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                            XDG_CONFIG_HOME=${user}/config HOME=${user}/home TMPDIR=${user}/tmp ${environment}
                            "${OUT}/${tree}/usr/bin/quendry" ${ARGN}
                    WORKING_DIRECTORY "${user}/home" RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT code STREQUAL expected)
        message(FATAL_ERROR "quendry ${ARGN} in ${tree} exited with ${code}, expected ${expected}:\n${output}")
    endif()
    set(${result} "${output}" PARENT_SCOPE)
endfunction()

quendry(version quendry 0 "" --version)
if(NOT version MATCHES "${VERSION}")
    message(SEND_ERROR "quendry --version does not name ${VERSION}: ${version}")
endif()

quendry(paths quendry 0 "" paths)
foreach(line IN ITEMS "Layout       installed: the side files are installed in ${OUT}/quendry/usr/share/quendry"
                      "data.bin     ${OUT}/quendry/usr/share/quendry/data.bin"
                      "maps.ini     ${user}/config/quendry/maps.ini")
    string(FIND "${paths}" "${line}\n" at)
    if(at EQUAL -1)
        message(SEND_ERROR "quendry paths lacks the line \"${line}\":\n${paths}")
    endif()
endforeach()

quendry(run quendry 0 "" run --settings "${user}/settings.ini" --game "${user}/game" --no-launch)
file(READ "${user}/game/BriselaMOD_v2/standard.cfg" standard)
if(NOT standard MATCHES "seta sv_hostname \"Packaged server\"")
    message(SEND_ERROR "quendry run --no-launch wrote no host name into standard.cfg:\n${run}\n${standard}")
endif()

# A platform is asked for, so that only the missing window library stands in the way; a window that opens after
# all closes at once.
set(window_environment "QT_QPA_PLATFORM=offscreen;QUENDRY_QUIT_WHEN_SHOWN=1")
quendry(bare quendry 1 "${window_environment}")
if(NOT bare MATCHES "sudo apt install quendry-gui")
    message(SEND_ERROR "bare quendry without quendry-gui does not say how to install it:\n${bare}")
endif()
quendry(window desktop 0 "${window_environment}")
