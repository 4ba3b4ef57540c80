// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>

// "Version " followed by the four-part version, or "Unknown version" when the build carries none.
std::string VersionText(const std::string& version);

// The version text of this build of the program.
std::string GetVersionText();

// The main window's caption: the application title, one blank, the version text.
QString MainFormCaption(const QString& versionText);
