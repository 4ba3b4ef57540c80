#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// Stopping a server that an earlier command started and recorded in "server.pid".

// How long a stopped server gets to end after SIGTERM before SIGKILL.
inline constexpr std::chrono::milliseconds ServerStopGrace{10000};

// How a stop went.
enum class StopOutcome {
    NoRecord,     // no "server.pid": nothing was started, or it was stopped already
    Ended,        // the recorded process is gone: the stale "server.pid" was removed
    Refused,      // the process's command line is not the recorded server's: nothing was sent
    Stopped,      // ended after SIGTERM
    Killed,       // ended after SIGKILL, the grace period being over
    StillRunning, // did not end even after SIGKILL
    NotPermitted  // this user may not signal the process: nothing was sent
};

struct StopReport {
    StopOutcome outcome = StopOutcome::NoRecord;
    pid_t processId = 0;
    std::vector<std::string> commandLine; // the refused process's
};

// Ends the server recorded in "server.pid" in `modPath`: checks the process's command line against the record
// before any signal, sends SIGTERM, then SIGKILL when it still runs after `grace`, and removes "server.pid" once
// the process is gone. Throws std::runtime_error when the record cannot be read.
StopReport StopRecordedServer(const std::string& modPath, std::chrono::milliseconds grace);
