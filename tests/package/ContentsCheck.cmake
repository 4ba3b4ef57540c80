# SPDX-License-Identifier: GPL-3.0-or-later
# Each package holds exactly its own files: quendry the program, its commands and unzip libraries, its side files, the manual page,
# the service unit with its system user and example environment file, its bash completion and its
# documents; quendry-gui the window library, the menu entry, the software centre description and the icons,
# each icon of the size its folder names. Executables and libraries are stripped of their symbols and of the
# compiler's .comment section, and hardened as dpkg-buildflags asks: their relocations bound at start, then made
# read-only.
include(${CMAKE_CURRENT_LIST_DIR}/PackageCommon.cmake)
set(expected_quendry
    usr/bin/quendry
    ${LIBDIR}/QuendryCommands.so
    ${LIBDIR}/UnzDll.so
    etc/quendry/example.env
    usr/lib/systemd/system/quendry@.service
    usr/lib/sysusers.d/quendry.conf
    usr/share/bash-completion/completions/quendry
    usr/share/doc/quendry/changelog.gz
    usr/share/doc/quendry/copyright
    usr/share/man/man1/quendry.1.gz
    usr/share/quendry/data.bin
    usr/share/quendry/default.bin
    usr/share/quendry/help/BHM.html
    usr/share/quendry/help/COD_CVAR.html
    usr/share/quendry/help/PRM.html
    usr/share/quendry/help/help.css
    usr/share/quendry/readme.txt)
set(expected_quendry-gui
    ${LIBDIR}/QuendryWindow.so
    usr/share/applications/${APP_ID}.desktop
    usr/share/doc/quendry-gui/changelog.gz
    usr/share/doc/quendry-gui/copyright
    usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    usr/share/lintian/overrides/quendry-gui
    usr/share/metainfo/${APP_ID}.metainfo.xml)
set(icon_sizes 16 32 48 64 128 256)
foreach(size IN LISTS icon_sizes)
    list(APPEND expected_quendry-gui usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()

foreach(package IN ITEMS quendry quendry-gui)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${OUT}/${package}" "${OUT}/${package}/*")
    foreach(file IN LISTS files)
        file(READ "${OUT}/${package}/${file}" magic LIMIT 4 HEX)
        if(magic STREQUAL "7f454c46")
            run_checked(sections COMMAND readelf --wide --section-headers "${OUT}/${package}/${file}")
            string(REGEX MATCHALL " \\.(comment|symtab|debug_[a-z]+) " unneeded "${sections}")
            if(unneeded)
                message(SEND_ERROR "${package}: ${file} keeps the sections${unneeded}")
            endif()
            run_checked(dynamic COMMAND readelf --dynamic --program-headers "${OUT}/${package}/${file}")
            if(NOT dynamic MATCHES "BIND_NOW" OR NOT dynamic MATCHES "GNU_RELRO")
                message(SEND_ERROR "${package}: ${file} is not linked with -z now and -z relro")
            endif()
        endif()
    endforeach()
    set(extra ${files})
    list(REMOVE_ITEM extra ${expected_${package}})
    set(missing ${expected_${package}})
    list(REMOVE_ITEM missing ${files})
    if(extra OR missing)
        message(SEND_ERROR "${package}: files that do not belong: ${extra}\nfiles missing: ${missing}")
    endif()
endforeach()

# A PNG gives its width and height as two 4-byte numbers from byte 16.
foreach(size IN LISTS icon_sizes)
    set(icon "${OUT}/quendry-gui/usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
    if(EXISTS "${icon}")
        file(READ "${icon}" dimensions OFFSET 16 LIMIT 8 HEX)
        math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
        string(REGEX REPLACE "^0x" "" hex_size "${hex_size}")
        string(LENGTH "${hex_size}" digits)
        math(EXPR padding "8 - ${digits}")
        string(REPEAT "0" ${padding} zeros)
        if(NOT dimensions STREQUAL "${zeros}${hex_size}${zeros}${hex_size}")
            message(SEND_ERROR "${icon} is not ${size}x${size} pixels: ${dimensions}")
        endif()
    endif()
endforeach()
