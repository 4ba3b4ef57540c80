# Builds the Debian package of this build into a scratch folder, then checks that it holds the program, its side
# files, the menu entry and the icon, and that it depends on the Qt and zlib runtime packages.
# Run by CTest with -DBUILD=<build folder> -DOUT=<scratch folder> -DCPACK=<cpack>.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${CPACK}" -G DEB -B "${OUT}" --config "${BUILD}/CPackConfig.cmake"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB packages "${OUT}/quendry_*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one quendry_*.deb in ${OUT}, found: ${packages}")
endif()

execute_process(COMMAND dpkg-deb --contents ${packages} OUTPUT_VARIABLE contents COMMAND_ERROR_IS_FATAL ANY)
foreach(file usr/bin/quendry usr/bin/QuendryWindow.so usr/share/quendry/data.bin usr/share/quendry/default.bin
        usr/share/applications/quendry.desktop usr/share/icons/hicolor/scalable/apps/quendry.svg
        usr/share/icons/hicolor/48x48/apps/quendry.png)
    string(FIND "${contents}" " ./${file}\n" at)
    if(at EQUAL -1)
        message(SEND_ERROR "the package lacks /${file}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb --field ${packages} Depends OUTPUT_VARIABLE depends COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${depends}" depends)
foreach(package libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins zlib1g)
    if(NOT depends MATCHES "(^|, )${package}( |,|$)")
        message(SEND_ERROR "the package does not depend on ${package}: Depends: ${depends}")
    endif()
endforeach()
