# SPDX-License-Identifier: GPL-3.0-or-later
# The program itself must need no window library: its commands run on server boxes without them. Nor does it load
# libcurl and its many libraries at every start: the webhook loads it when it posts.
# Run by CTest with -DPROGRAM=<the quendry executable>.
execute_process(COMMAND readelf --dynamic "${PROGRAM}" OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
if(NOT needed MATCHES "libQt6Core")
    message(FATAL_ERROR "readelf found no libQt6Core among the libraries ${PROGRAM} needs: ${needed}")
endif()
foreach(library libQt6Gui libQt6Widgets libcurl)
    if(needed MATCHES "${library}")
        message(SEND_ERROR "${PROGRAM} needs ${library}: ${needed}")
    endif()
endforeach()
