// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>

class CommandArguments;

// `quendry stop --game DIR [--instance NAME]`: ends the server that a Run of the instance started from DIR, found
// through its "server.pid" in the mod folder, with its whole process group: SIGTERM, then SIGKILL after the grace
// period. No signal is sent to a process that is not known for sure to be the recorded server (FindServer). Returns 0
// once every process of the group ended, 1 when none was running or the process was refused or does not end, 2 for a
// "server.pid" that cannot be read. The command table requires --game.
int StopCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
