// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VersionText.h"

#include "Version.h"

#include "forms/Questions.h"

std::string VersionText(const std::string& version) {
    return version.empty() ? "Unknown version" : "Version " + version;
}

std::string GetVersionText() {
    return VersionText(QUENDRY_VERSION);
}

QString MainFormCaption(const QString& versionText) {
    return ApplicationTitle + QLatin1Char(' ') + versionText;
}
