// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PlayerWarning.h"

#include "app/CommandArguments.h"
#include "app/RconCommand.h"
#include "server/StopWarning.h"

PlayerWarning PlayerWarningOf(const CommandArguments& args, const char* defaultMessage) {
    PlayerWarning warning;
    const auto text = args.Value("warn");
    const auto message = args.Value("warn-message");
    if (message && !text)
        throw UsageError("--warn-message is the text of --warn DURATION: give --warn too");
    warning.message = message && !message->empty() ? *message : defaultMessage;
    if (!text)
        return warning;
    const auto length = ParseDuration(*text);
    if (!length || *length > LongestWarning)
        throw UsageError("--warn expects a duration such as 90, 30s, 5m or 1h, at most " +
                         TimeLeftText(LongestWarning) + ", not '" + *text + "'");
    warning.length = *length;
    return warning;
}

std::optional<std::string> WarningPassword(const PlayerWarning& warning, const LineList& advancedLines) {
    if (warning.length <= std::chrono::milliseconds(0))
        return std::nullopt;
    auto password = RconPassword(advancedLines);
    if (!password)
        throw UsageError("--warn warns the players through the remote console, and " + NoRconPasswordMessage());
    return password;
}
