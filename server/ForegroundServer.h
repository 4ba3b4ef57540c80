// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"
#include "server/StatusQuery.h"
#include "server/SupervisionReport.h"

#include <chrono>
#include <optional>

// How often a server in the foreground is asked for its status.
inline constexpr std::chrono::milliseconds StatusInterval{5000};
// How long a server in the foreground may go without answering before it counts as hung; never shorter than one
// status query's own wait, which could not tell a hang from a lost datagram.
inline constexpr std::chrono::milliseconds DefaultHangTime{60000};
inline constexpr std::chrono::milliseconds ShortestHangTime = StatusTimeout;
// The exit code of the foreground command when it stopped a hung server.
inline constexpr int HungServerExit = 6;
// The exit code of a start that another server stands in the way of; the foreground command gives it too when it
// stopped its server because another program took the port while the server started.
inline constexpr int InTheWayExit = 4;

// The waits of a server in the foreground; tests make them short.
struct ForegroundPeriods {
    std::chrono::milliseconds watch = DefaultServerWatch; // the start check: how long the first answer may take
    std::chrono::milliseconds hang = DefaultHangTime;     // from the last answer, or from the end of the start check
    std::chrono::milliseconds interval = StatusInterval;  // between two status queries
    std::chrono::milliseconds grace = ServerStopGrace;    // between SIGTERM and SIGKILL on a stop
};

// A server run in the foreground, for a service manager: this program stays until the last process of the server's
// session ends (it takes in the processes that a start script left behind), passes SIGTERM and SIGINT (SIGHUP as
// SIGTERM) on to the server, and tells the service manager how the server does. Only one exists at a time.
class ForegroundServer {
public:
    // Takes over SIGTERM, SIGINT and SIGHUP; one that comes before the server starts is passed on as soon as it does.
    ForegroundServer();
    // Gives SIGTERM, SIGINT and SIGHUP their former handling back.
    ~ForegroundServer();
    ForegroundServer(const ForegroundServer&) = delete;
    ForegroundServer& operator=(const ForegroundServer&) = delete;

    // Starts the server as StartServer does, with this program's standard input, output and error.
    int Start(const ServerLaunch& launch);
    // True once Start started the server.
    bool Started() const { return server_.has_value(); }
    // Stays with the started server until its session ends, asking its status every interval (more often for a
    // short hang time, and twice in the period of a service manager's watchdog); only answers from the server's own
    // socket count: "READY=1" to the service manager at the first answer, then "WATCHDOG=1" at each answer,
    // "STATUS=" with its map and players, "STATUS=not answering for N s" while a query goes unanswered (and the
    // watchdog unfed), and "STOPPING=1" on a stop. A stop asked for by SIGTERM, SIGINT or SIGHUP returns 0 once the
    // session ended (SIGKILL after the grace period); a server that ends by itself returns its exit code (128 + the
    // signal's number when a signal ended it). One that opened another port, its own being taken, is stopped and
    // returns InTheWayExit. One that answers no status query for the hang time is stopped and returns
    // HungServerExit, unless its remote console answers with `rconPassword` (a flood of status queries
    // starves the engine's few answers a second, not its remote console). Removes "server.pid" at the end. Each
    // status query and each change (ready, not answering, answering again, hung, a stop asked for, the end) goes to
    // `report`.
    int Run(const ForegroundPeriods& periods, const LogSink& log,
            const std::optional<std::string>& rconPassword = std::nullopt, const SupervisionSink& report = {});

private:
    // Ends the session after a stop was asked for or the server hung; logs how.
    void StopSessionOf(const ForegroundPeriods& periods, const LogSink& log, bool signalled);
    // Reaps the ended server and removes its "server.pid"; its exit code.
    int Finish();

    std::optional<StartedServer> server_;
};
