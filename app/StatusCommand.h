#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `quendry status [--host H] [--port P]`: asks the game server at H (127.0.0.1 by default) on port P (28960 by
// default) for its status and prints its host name, map, gametype, player count and each player's score, ping
// and name. `args` are the words after "status". Returns 0 when the server answered, 1 when nobody answered in
// a second (the reason goes to `err`), 2 for a usage error.
int StatusCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
