#include "settings/SettingsLocation.h"

#include "platform/Paths.h"

#include <filesystem>

QString DefaultSettingsFile() {
    std::filesystem::path name = std::filesystem::path(GetProgramPath()).filename();
    name.replace_extension(".ini");
    return QString::fromStdString(UserFile(name.string()));
}

QString ConfigsFolder() {
    return QString::fromStdString(UserFile("configs") + PathSeparator);
}
