// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsLocation.h"

#include "platform/Paths.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <stdexcept>

#include <filesystem>

namespace {

Instance& ChosenInstance() {
    static Instance chosen;
    return chosen;
}

} // namespace

QString LastStateFile(const Instance& instance) {
    const std::filesystem::path name = std::filesystem::path(GetProgramPath()).filename();
    return QString::fromStdString(UserFile(instance.FileName(name.stem().string(), ".ini")));
}

const Instance& WindowInstance() {
    return ChosenInstance();
}

void ChooseWindowInstance(const Instance& instance) {
    ChosenInstance() = instance;
}

QString DefaultSettingsFile() {
    return LastStateFile(WindowInstance());
}

void RequireQuendrySettings(const TIniFile& ini) {
    static const QStringList Windows = {QStringLiteral("MainForm"), QStringLiteral("FogForm"),
                                        QStringLiteral("MsgForm")};
    const auto ofAWindow = [](const QString& section) {
        return std::ranges::any_of(
            Windows, [&section](const QString& window) { return section.startsWith(window, Qt::CaseInsensitive); });
    };
    if (ini.AnySectionNamed(ofAWindow))
        return;
    throw std::runtime_error(ini.FileName().toStdString() + " holds no Quendry settings");
}

QString ConfigsFolder() {
    return QString::fromStdString(UserFile("configs") + PathSeparator);
}

QString MakeConfigsFolder() {
    const std::string configs = UserFile("configs");
    std::error_code error;
    std::filesystem::create_directories(configs, error);
    if (error)
        throw std::runtime_error("Impossible de créer le dossier " + configs + " (" + error.message() + ")");
    return ConfigsFolder();
}

std::string ProgramOwnFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    // Compared as the system finds them: a link or a ".." on the way names the file it leads to.
    const auto real = [&error](const std::string& file) { return fs::weakly_canonical(fs::absolute(file), error); };
    const fs::path target = real(path);
    const auto below = [&](const std::string& folder) {
        const fs::path relative = target.lexically_relative(real(folder));
        return !relative.empty() && *relative.begin() != "..";
    };
    const ProgramFolders folders = GetProgramFolders();
    const std::pair<std::string, const char*> files[] = {
        {UserFile("maps.ini"), "the map catalogue"},
        {UserFile("default.ini"), "the factory settings that Add Default stores"},
        {JoinPath(folders.userFiles, "data.bin"), "the store of the mod's files"},
        {JoinPath(folders.sideFiles, "data.bin"), "the store of the mod's files"},
        {JoinPath(folders.userFiles, "default.bin"), "the store of the factory settings"},
        {JoinPath(folders.sideFiles, "default.bin"), "the store of the factory settings"},
        {JoinPath(folders.sideFiles, "readme.txt"), "the program's readme"},
        {GetProgramPath(), "the program itself"},
    };
    for (const auto& [file, what] : files)
        if (real(file) == target)
            return what;
    for (const char* folder : {"help", "utils"})
        if (below(JoinPath(folders.sideFiles, folder)))
            return std::string("a file of the program's ") + folder + " folder";
    const std::string stem = fs::path(GetProgramPath()).stem().string();
    if (target.parent_path() == real(folders.userFiles) &&
        Instance::OfFileName(target.filename().string(), stem, ".ini"))
        return "the last state of the windows";
    return {};
}

std::string ProgramOwnFileMessage(const std::string& path, const std::string& what) {
    return path + " is " + what + ", which the program itself reads: it was not replaced. Save under another name.";
}
