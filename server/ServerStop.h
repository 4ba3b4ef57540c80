// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessHandle.h"
#include "server/GamePort.h"
#include "server/ServerFiles.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

// Finding the server of a game folder (one of its instances) through "server.pid", and stopping it with everything
// it started.

// How long a stopped server gets to end after SIGTERM before SIGKILL.
inline constexpr std::chrono::milliseconds ServerStopGrace{10000};

// What "server.pid" in a mod folder leads to.
struct FoundServer {
    enum State {
        NoRecord,     // no "server.pid": nothing was started, or it was stopped already
        Ended,        // the recorded process is gone
        NotTheServer, // a process has the recorded id but is not (known for sure to be) the server: see `reason`
        OtherUsers,   // the server runs as another user, who alone may stop it
        Running       // the server runs, held in `process`
    };
    State state = NoRecord;
    Instance instance; // whose "server.pid" it is
    ServerRecord record;
    std::string reason;                   // why a NotTheServer process is not the server
    std::optional<ProcessHandle> process; // Running
    pid_t session = 0;                    // Running: the server's own session (ServerSessionOf), 0 for none
    // True when a start must not go ahead: the folder's server runs, this user's or another's.
    bool InTheWay() const { return state == Running || state == OtherUsers; }
};

// The server of `instance` recorded in its "server.pid" in `modPath`. A process is the server only when its id and
// the kernel's start time are the recorded ones, its working folder is the game folder (the folder above
// `modPath`) and "server.pid" belongs to this user or to root. Throws std::runtime_error when the record cannot
// be read.
FoundServer FindServer(const std::string& modPath, const Instance& instance);

// What a start is told when `found` stands in its way: "The server of this game folder is running (process P,
// started as EXECUTABLE); stop it first" ("The server of instance NAME of this game folder" for a named one).
std::string ServerInTheWayMessage(const FoundServer& found, const std::string& modPath);

// Another instance of the game folder of `modPath` whose live server (this user's or another's) wants the port
// that a server of `instance` with `net` would listen on; nullopt when none does. A record that cannot be read
// counts as no server.
std::optional<FoundServer> FindPortClash(const std::string& modPath, const Instance& instance, const NetSettings& net);

// What a start is told when `other` holds its port: "Port N is in use by instance NAME of this game folder (process
// P); give this one another net_port in its advanced lines, or stop that one first".
std::string PortClashMessage(const FoundServer& other, const NetSettings& net);

// How a stop went.
enum class StopOutcome {
    NoRecord,     // no "server.pid": nothing was started, or it was stopped already
    Ended,        // the recorded process is gone: the stale "server.pid" was removed
    Refused,      // the process is not the recorded server: nothing was sent
    Stopped,      // the whole session ended after SIGTERM
    Killed,       // the session ended after SIGKILL, the grace period being over
    StillRunning, // did not end even after SIGKILL
    NotPermitted  // this user may not signal the process: nothing was sent
};

struct StopReport {
    StopOutcome outcome = StopOutcome::NoRecord;
    pid_t processId = 0;
    std::string reason; // why a refused process is not the server
};

// The outcome of stopping a server's session.
StopOutcome StopOutcomeOf(SessionEnding ending);

// Ends the server of `found` with its whole session: SIGTERM, then SIGKILL to what still runs after `grace`,
// and removes its "server.pid" in `modPath` once every process is gone. Nothing is sent unless it is Running.
StopReport StopFoundServer(const FoundServer& found, const std::string& modPath, std::chrono::milliseconds grace,
                           const std::function<void()>& idle = {});

// The line of a stop that ended the server: "Server stopped (process P)", or "Server killed after N s
// (process P)" when it needed SIGKILL after the grace period `grace`.
std::string StoppedLine(const StopReport& report, std::chrono::milliseconds grace);

// The line of a server that ended with `exitCode` (128 + the signal's number when a signal ended it): "Server
// stopped" when the stop was `requested` or a stop signal (SIGTERM, SIGINT, SIGHUP) ended it, else "Server stopped
// (exit code N)", so that a server that ended by itself keeps its code.
std::string EndedLine(int exitCode, bool requested);

// FindServer, then StopFoundServer; a "server.pid" whose process is gone is removed.
StopReport StopRecordedServer(const std::string& modPath, const Instance& instance, std::chrono::milliseconds grace);
