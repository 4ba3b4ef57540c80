#pragma once

#include <QString>

// The default settings file, which keeps the last state of the windows: the program's file name with its
// extension replaced by ".ini" (".ini" appended when it has none), in the user folder (the program folder unless
// the program is installed).
QString DefaultSettingsFile();

// The folder in which the Open and Save pickers start: "configs" in the user folder, with a final separator.
QString ConfigsFolder();
