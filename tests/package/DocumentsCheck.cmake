# SPDX-License-Identifier: GPL-3.0-or-later
# The documents of the packages pass the tools that read them: the manual page renders with man and no groff
# warning, the AppStream description passes appstreamcli validate and names this version as its newest release,
# the menu entry passes desktop-file-validate without even a hint.
include(${CMAKE_CURRENT_LIST_DIR}/PackageCommon.cmake)
set(manual "${OUT}/quendry/usr/share/man/man1/quendry.1.gz")
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 MANROFFSEQ= MANWIDTH=80
                        man --warnings -E UTF-8 -l -Tutf8 -Z "${manual}"
                RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE warnings)
if(NOT code EQUAL 0 OR NOT warnings STREQUAL "")
    message(SEND_ERROR "man warns about ${manual} (exit ${code}):\n${warnings}")
endif()
run_checked(page COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 MAN_KEEP_FORMATTING= man -l "${manual}")
foreach(heading IN ITEMS "QUENDRY(1)" "SYNOPSIS" "COMMANDS" "EXIT STATUS" "ENVIRONMENT" "FILES")
    string(FIND "${page}" "${heading}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "the rendered manual page lacks ${heading}:\n${page}")
    endif()
endforeach()

run_checked(report COMMAND appstreamcli validate --no-net
            "${OUT}/quendry-gui/usr/share/metainfo/${APP_ID}.metainfo.xml")
message(STATUS "appstreamcli:\n${report}")
file(READ "${OUT}/quendry-gui/usr/share/metainfo/${APP_ID}.metainfo.xml" metainfo)
if(NOT metainfo MATCHES "<releases>[ \n]*<release version=\"([^\"]+)\"" OR NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(SEND_ERROR "the newest release of the AppStream description is \"${CMAKE_MATCH_1}\", not ${VERSION}")
endif()
run_checked(report COMMAND desktop-file-validate "${OUT}/quendry-gui/usr/share/applications/${APP_ID}.desktop")
if(NOT report STREQUAL "")
    message(SEND_ERROR "desktop-file-validate:\n${report}")
endif()
