#pragma once

#include <iosfwd>

class CommandArguments;

// `quendry stop --game DIR`: ends the server that a Run started from DIR, found
// through "server.pid" in the mod folder: SIGTERM, then SIGKILL after 10 s. No signal is sent to a process whose
// command line is not the recorded server's. Returns 0 when the server ended, 1 when none was running or the
// process was refused or does not end, 2 for a "server.pid" that cannot be read. The command table requires --game.
int StopCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
