// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/FileAttributes.h"

#include <sys/stat.h>

std::uint32_t GetFileAttributes(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return 0;
    std::uint32_t attributes = S_ISDIR(status.st_mode) ? FileAttributeDirectory : FileAttributeArchive;
    if ((status.st_mode & S_IWUSR) == 0)
        attributes |= FileAttributeReadOnly;
    const auto cut = path.find_last_of('/');
    if (path.compare(cut == std::string::npos ? 0 : cut + 1, 1, ".") == 0)
        attributes |= FileAttributeHidden;
    return attributes;
}

bool SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return false;
    mode_t mode = status.st_mode & 07777;
    if (attributes & FileAttributeReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return ::chmod(path.c_str(), mode) == 0;
}
