# SPDX-License-Identifier: GPL-3.0-or-later
# What the package checks share: the packages' files and the unpacked trees, and a checked command.
cmake_policy(VERSION 3.25)
# The packages, and the folders where each is unpacked alone and both together.
set(quendry_deb "${OUT}/debs/quendry_${VERSION}_${ARCH}.deb")
set(quendry-gui_deb "${OUT}/debs/quendry-gui_${VERSION}_${ARCH}.deb")
set(desktop "${OUT}/desktop")

# run_checked(<output variable> COMMAND ...): runs the command, fails the check with its output unless it exits 0,
# and gives its standard output and error, together.
function(run_checked result)
    execute_process(${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT code EQUAL 0)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${command}\nexited with ${code}:\n${output}")
    endif()
    set(${result} "${output}" PARENT_SCOPE)
endfunction()
