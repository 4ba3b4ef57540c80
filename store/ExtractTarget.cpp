// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ExtractTarget.h"

#include "store/EResourcesMaker.h"
#include "store/FileRoutines.h"

#include "platform/Paths.h"

#include <algorithm>

namespace {

// The folders below the destination that `mode` takes from the folder part of a stored name.
std::string MiddlePart(const std::string& folderPart, TExtractPathMode mode) {
    switch (mode) {
    case epLastFolder:
        return LastFolderName(folderPart);
    case epFullPath:
        return StripDrive(folderPart.substr(0, folderPart.empty() ? 0 : folderPart.size() - 1));
    case epFileNameOnly:
        break;
    }
    return {};
}

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

} // namespace

std::string StoredFileName(const std::string& storedName) {
    const auto cut = std::find_if(storedName.rbegin(), storedName.rend(), IsStoreSeparator);
    return storedName.substr(static_cast<std::size_t>(storedName.rend() - cut));
}

TExtractTarget TargetPath(const std::string& folder, const std::string& storedName, TExtractPathMode mode) {
    const std::string name = StoredFileName(storedName);
    if (name.empty() || IsDotName(name))
        throw EResourcesMaker("Nom de ressource sans nom de fichier (" + storedName + ")");
    TExtractTarget target{TrimFolderPath(folder), {}};
    const std::string middle = MiddlePart(storedName.substr(0, storedName.size() - name.size()), mode);
    // Every folder of the middle part becomes a folder below the destination; ".." would climb out of it.
    std::string component;
    for (std::size_t i = 0; i <= middle.size(); ++i) {
        if (i < middle.size() && !IsStoreSeparator(middle[i])) {
            component += middle[i];
            continue;
        }
        if (component == "..")
            throw EResourcesMaker("La ressource " + storedName + " sortirait du dossier " + folder);
        if (!component.empty() && component != ".")
            target.folder = JoinPath(target.folder, component);
        component.clear();
    }
    target.file = JoinPath(target.folder, name);
    return target;
}
