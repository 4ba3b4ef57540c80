// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"

#include <QString>

class TIniFile;

// The last state file of `instance`: the program's file name with its extension replaced by ".ini" (".ini"
// appended when it has none), "-NAME" before it for the instance NAME, in the user folder (the program folder
// unless the program is installed).
QString LastStateFile(const Instance& instance);

// The instance whose server the windows configure, for the whole life of the program; the plain one unless
// ChooseWindowInstance chose another before the windows were built.
const Instance& WindowInstance();
void ChooseWindowInstance(const Instance& instance);

// The default settings file, which keeps the last state of the windows: the last state file of the windows'
// instance.
QString DefaultSettingsFile();

// Throws std::runtime_error ("<file> holds no Quendry settings") when `ini` holds no section of the windows
// whose state a settings file keeps (the main, fog and messages windows, and the list sections of their
// controls), so that a file of anything else is not taken for settings that are all empty.
void RequireQuendrySettings(const TIniFile& ini);

// The folder in which the Open and Save pickers start: "configs" in the user folder, with a final separator.
QString ConfigsFolder();
// ConfigsFolder, created when missing, so that a picker starts there. Throws std::runtime_error naming the folder
// with the system's reason when it cannot be created.
QString MakeConfigsFolder();

// What `path` is when it names a file that the program itself reads and writes ("the map catalogue", "the last
// state of the windows", ...), which a file saved by the user must not replace; empty for any other path.
std::string ProgramOwnFile(const std::string& path);
// The message that refuses to save over `path`, the program's own file `what`.
std::string ProgramOwnFileMessage(const std::string& path, const std::string& what);
