// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"
#include "platform/LineList.h"

#include <string>
#include <vector>

class CommandArguments;

// The server a command or a window talks to.
struct ServerTarget {
    std::string host;
    int port = 0;
};

// The server that a game folder's advanced lines make: the one rule of its address, for the commands' --game and
// the windows.
ServerTarget GameServerTarget(const LineList& advancedLines);

// The server that a Run of `instance` started from `gameFolder`: while it runs, at the address it was started with
// (its record's); else at the address that the "advanced.cfg" of the instance in the mod folder sets (127.0.0.1
// and the default port when there is none). Throws UsageError for a folder that is no folder.
ServerTarget GameFolderTarget(const std::string& gameFolder, const Instance& instance);

// The server that the options --host H (127.0.0.1), --port P, --game DIR and --instance NAME name: P, else the
// port of GameFolderTarget(DIR, NAME), else 28960. Throws UsageError for a port that is not 1 to 65535, an empty host,
// --port with
// --game, or a DIR that is no folder.
ServerTarget ServerTargetOf(const CommandArguments& args);
