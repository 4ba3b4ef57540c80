#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `quendry stop --game DIR` (`args` after the word "stop"): ends the server that a Run started from DIR, found
// through "server.pid" in the mod folder, with its whole process group: SIGTERM, then SIGKILL after 10 s. No signal
// is sent to a process that is not known for sure to be the recorded server (FindServer). Returns 0 once every
// process of the group ended, 1 when none was running or the process was refused or does not end, 2 for a usage
// error or a "server.pid" that cannot be read.
int StopCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
