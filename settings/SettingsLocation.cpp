// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsLocation.h"

#include "platform/Paths.h"
#include "settings/IniFile.h"

#include <stdexcept>

#include <filesystem>

QString DefaultSettingsFile() {
    std::filesystem::path name = std::filesystem::path(GetProgramPath()).filename();
    name.replace_extension(".ini");
    return QString::fromStdString(UserFile(name.string()));
}

void RequireQuendrySettings(const TIniFile& ini) {
    static const QStringList Windows = {QStringLiteral("MainForm"), QStringLiteral("FogForm"),
                                        QStringLiteral("MsgForm")};
    for (const QString& section : ini.SectionNames())
        for (const QString& window : Windows)
            if (section.startsWith(window, Qt::CaseInsensitive))
                return;
    throw std::runtime_error(ini.FileName().toStdString() + " holds no Quendry settings");
}

QString ConfigsFolder() {
    return QString::fromStdString(UserFile("configs") + PathSeparator);
}
