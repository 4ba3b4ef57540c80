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
