// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"
#include "platform/Instance.h"
#include "settings/IniFile.h"

#include <QStringList>

#include <optional>
#include <string>

// The state of the program's options at start, without any window: what the main window holds once it is
// shown, and after it opened a settings file.
struct StartState {
    OptionValues options;
    QStringList mapsList;      // the lines of "maps.ini"
    bool pathRestored = false; // the game folder came from the saved settings
};

// The table's first values, then the last state file of `instance` (the last state of the windows opened for it),
// then `settings` when given, read as the windows read them; after each file the rotation keeps only the maps that the
// catalogue offers for the chosen gametype. A missing or unreadable default settings file loads nothing.
StartState LoadStartState(const TIniFile* settings, const Instance& instance);

// The settings file `file` given with --settings, read once, or why a command cannot use it: "settings file FILE: "
// and the system's reason, its size when it is too large, or "holds no Quendry settings".
struct GivenSettings {
    std::optional<TIniFile> ini;
    std::string unusable; // empty when `ini` holds the file
};
GivenSettings ReadGivenSettings(const std::string& file);
