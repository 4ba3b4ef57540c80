// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The game server's answer to the status query: its settings on one line, then one line per player.

struct PlayerStatus {
    int score = 0;
    int ping = 0;
    std::string name; // UTF-8, colour codes and characters unsafe for a terminal removed

    bool operator==(const PlayerStatus&) const = default;
};

struct ServerStatus {
    std::string hostName; // sv_hostname, cleaned like a player's name
    std::string map;      // mapname
    std::string gametype; // g_gametype, as the server names it
    std::vector<PlayerStatus> players;
    std::optional<int> playerLimit{};    // sv_maxclients, when the server says it
    std::optional<bool> needsPassword{}; // g_needpass, when the server says it
    std::string rawHostName{};           // sv_hostname as UTF-8 with its colour codes, unsafe characters removed

    bool operator==(const ServerStatus&) const = default;
};

// The status query: four 0xFF bytes then "getstatus".
std::string StatusRequest();

// Reads the server's reply; nullopt when it does not begin with four 0xFF bytes and "statusResponse" on a line of
// its own. Missing settings read as empty texts; a player line that does not begin with two whole numbers is
// skipped. The name is the text between the first and the last double quote of its line (the rest of the line
// when it holds fewer than two).
std::optional<ServerStatus> ParseStatusReply(std::string_view reply);

// True when a status reply holds its settings line whole, up to its line feed, as every engine of the family sends
// it; one cut before that (a datagram of a reply split in two) tells nothing for sure.
bool EndsItsSettingsLine(std::string_view reply);

// A text of the game made readable: its bytes read as UTF-8 when they are valid UTF-8, else as Windows-1252;
// each colour code and each character unsafe for a terminal (IsUnsafeForTerminal) removed. As the engine reads
// it, a colour code is a "^" followed by a character that is not a "^" ("^^7x" shows as "^7x", a final "^"
// stays).
std::string CleanGameText(std::string_view bytes);

// The same text with its colour codes kept.
std::string ReadableGameText(std::string_view bytes);
