// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Players warned through the remote console before a planned stop.

// The longest warning a stop takes.
inline constexpr std::chrono::milliseconds LongestWarning = std::chrono::hours(1);

// A duration as an administrator writes it: a number of seconds ("90"), or numbers each with its unit, s, m (or
// min) and h ("2s", "5m", "1m30s", "1.5h"); an empty text is no time. Nullopt for a text that is none of these.
std::optional<std::chrono::milliseconds> ParseDuration(std::string_view text);

// The times left at which the players hear of a stop `warning` ahead: the warning itself, then each of 30, 15,
// 10, 5 and 1 minutes, 30 and 10 seconds that is shorter, longest first.
std::vector<std::chrono::milliseconds> WarningPoints(std::chrono::milliseconds warning);

// The time left as players read it: "5 minutes", "1 minute", "30 seconds", "1 hour", "90 seconds".
std::string TimeLeftText(std::chrono::milliseconds left);

// The console command that warns the players `left` before the stop: say, then `message` with each "{time}"
// replaced by TimeLeftText(left), in double quotes (a double quote of the message becomes a single one).
std::string WarningCommand(const std::string& message, std::chrono::milliseconds left);

// Says WarningCommand at each of the WarningPoints through the remote console of the server at `host` and
// `port` with `password`, and returns when `warning` is over. Each warning sent is logged, and one that the server
// did not take too (the stop goes ahead all the same).
void WarnPlayers(const std::string& host, int port, const std::string& password, std::chrono::milliseconds warning,
                 const std::string& message, const LogSink& log);
