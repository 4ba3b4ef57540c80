// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class CommandArguments;

// The warning that --warn DURATION and --warn-message TEXT ask for before a planned stop.
struct PlayerWarning {
    std::chrono::milliseconds length{0}; // none: no warning
    std::string message;                 // with "{time}" where the time left goes
};

// The warning of `args`, `defaultMessage` when --warn-message is not given or empty. An empty or zero --warn asks
// for none, so that a service unit may pass a variable that is not set. Throws UsageError for a duration it
// cannot take, and for --warn-message without --warn.
PlayerWarning PlayerWarningOf(const CommandArguments& args, const char* defaultMessage);

// The remote-console password that a warning of `warning` needs (RconPassword of `advancedLines`); throws
// UsageError, which says why, when the warning asks for one and none is set.
std::optional<std::string> WarningPassword(const PlayerWarning& warning, const LineList& advancedLines);
