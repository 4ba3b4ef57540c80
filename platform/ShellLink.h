// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Launcher files: a desktop entry that starts a program the way a shell link starts it on Windows.

// The text of a launcher named after the file part of `linkName` that starts `target` followed by `arguments` (a
// Windows command line) in the target's folder, showing `iconFile`: a Windows program through the Windows program
// runner, a native one (the Linux server) directly.
std::string ShellLinkText(const std::string& target, const std::string& linkName, const std::string& arguments,
                          const std::string& iconFile);

// Writes that launcher as `linkName` + ".desktop" and makes it executable, as desktops require before they start
// it; returns the file's path. Throws FileError, naming the file and the system's reason, when it cannot.
std::string WriteShellLink(const std::string& target, const std::string& linkName, const std::string& arguments,
                           const std::string& iconFile);
