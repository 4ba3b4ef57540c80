// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/TempFolder.h"

#include "store/FileRoutines.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

TTempFolder::TTempFolder() {
    const std::string pattern = JoinPath(GetTempFolder(), "rmTemp.XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("Impossible de créer le dossier " + pattern + " (" + std::strerror(errno) + ")");
    path_ = name.data();
}

TTempFolder::~TTempFolder() {
    DeleteFolderFiles(path_, "*.*", true, true);
}
