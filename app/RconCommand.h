// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class CommandArguments;

// The environment variable that may hold the remote-console password.
inline constexpr const char* RconPasswordVariable = "QUENDRY_RCON_PASSWORD";

// The remote-console password: QUENDRY_RCON_PASSWORD when it is set and not empty, else the rcon_password that
// `advancedLines` set; nullopt when neither gives one. Never a word of the command line, which every user of the
// machine may read.
std::optional<std::string> RconPassword(const LineList& advancedLines);

// Why there is no password: "no remote-console password is set: add 'set rcon_password ...' to the advanced lines
// or set QUENDRY_RCON_PASSWORD".
std::string NoRconPasswordMessage();

// The lines of a remote-console reply as they are shown: colour codes removed unless `raw`, characters unsafe for
// a terminal removed, without the empty line after the last line break.
std::vector<std::string> RconReplyLines(const std::string& reply, bool raw);

// `quendry rcon [--settings FILE] [--host H] [--port P | --game DIR] [--raw] COMMAND...`: sends the words of
// COMMAND, joined by blanks, to the server's remote console with the password of RconPassword (the advanced lines
// of the settings: FILE, else the last state) and prints the reply. Returns 0 when the server answered, 1 when
// nobody answered, the password was wrong (the server's words go to `err`) or none is set, 2 for a FILE that
// cannot be read.
int RconCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
