# SPDX-License-Identifier: GPL-3.0-or-later
# Run by the install once its prefix is known (`cmake --install --prefix`, `make install PREFIX=...`, CPack): writes
# the service manager's template unit naming the program where this install puts it, and puts the commented example
# of an instance's environment file into the configuration folder of that prefix (/etc for /usr).
# Set by the install rule: QUENDRY_UNIT_TEMPLATE, QUENDRY_ENV_EXAMPLE, QUENDRY_BINDIR (relative to the prefix).

set(QUENDRY_UNIT_BINDIR "${CMAKE_INSTALL_PREFIX}/${QUENDRY_BINDIR}")
file(READ "${QUENDRY_UNIT_TEMPLATE}" template)
string(CONFIGURE "${template}" unit @ONLY)
set(unit_file "${CMAKE_INSTALL_PREFIX}/lib/systemd/system/quendry@.service")
message(STATUS "Installing: $ENV{DESTDIR}${unit_file}")
file(WRITE "$ENV{DESTDIR}${unit_file}" "${unit}")
file(CHMOD "$ENV{DESTDIR}${unit_file}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${unit_file}")

if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(configuration_folder /etc/quendry)
else()
    set(configuration_folder "${CMAKE_INSTALL_PREFIX}/etc/quendry")
endif()
file(INSTALL "${QUENDRY_ENV_EXAMPLE}" DESTINATION "${configuration_folder}" RENAME example.env
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
