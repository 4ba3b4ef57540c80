# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack once the packages' files are staged: strips every ELF file there as Debian's own packages are
# stripped, dropping the symbols, the compiler's .comment and the .note section along with the debug information.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS files)
    if(IS_SYMLINK "${file}")
        continue()
    endif()
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND "${CPACK_QUENDRY_STRIP}" --remove-section=.comment --remove-section=.note --strip-unneeded "${file}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
