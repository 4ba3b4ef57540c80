// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GameFolderOption.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

std::string UnusableGameFolder(const std::string& folder) {
    struct stat status {};
    const int error = ::stat(folder.c_str(), &status) != 0 ? errno : !S_ISDIR(status.st_mode) ? ENOTDIR : 0;
    return error != 0 ? "game folder " + folder + ": " + std::strerror(error) : std::string();
}
