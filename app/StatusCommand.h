// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>

class CommandArguments;

// `quendry status [--host H] [--port P | --game DIR] [--json]`: asks the game server (see ServerTargetOf) for its
// status and prints its host name, map, gametype, players and limit, whether it needs a password, and each
// player's score, ping and name; with --json, one JSON object instead. Returns 0 when the server answered, 1 when
// nobody answered in a second (the reason goes to `err`).
int StatusCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
