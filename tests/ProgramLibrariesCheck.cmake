# SPDX-License-Identifier: GPL-3.0-or-later
# The program itself loads no Qt, so that a status query or a zip listing starts at once; its commands library
# needs Qt Core and no window library, as its commands run on server boxes without them. Neither loads libcurl
# and its many libraries at every start: the webhook loads it when it posts.
# Run by CTest with -DPROGRAM=<the quendry executable> -DCOMMANDS=<the commands library>.
function(needed_libraries file result)
    execute_process(COMMAND readelf --dynamic "${file}" OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
    set(${result} "${needed}" PARENT_SCOPE)
endfunction()

needed_libraries("${PROGRAM}" program)
foreach(library libQt6 libcurl)
    if(program MATCHES "${library}")
        message(SEND_ERROR "${PROGRAM} needs ${library}: ${program}")
    endif()
endforeach()

needed_libraries("${COMMANDS}" commands)
if(NOT commands MATCHES "libQt6Core")
    message(FATAL_ERROR "readelf found no libQt6Core among the libraries ${COMMANDS} needs: ${commands}")
endif()
foreach(library libQt6Gui libQt6Widgets libcurl)
    if(commands MATCHES "${library}")
        message(SEND_ERROR "${COMMANDS} needs ${library}: ${commands}")
    endif()
endforeach()
