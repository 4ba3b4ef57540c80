#pragma once

#include "server/ServerStart.h"

#include <optional>

// A server run in the foreground, for a service manager: this program stays until the server ends, passes
// SIGTERM and SIGINT on to it, and ends with its exit code. Only one exists at a time.
class ForegroundServer {
public:
    // Takes over SIGTERM and SIGINT; one that comes before the server starts is passed on as soon as it does.
    ForegroundServer();
    // Gives SIGTERM and SIGINT their former handling back.
    ~ForegroundServer();
    ForegroundServer(const ForegroundServer&) = delete;
    ForegroundServer& operator=(const ForegroundServer&) = delete;

    // Starts the server as StartServer does, with this program's standard input, output and error.
    int Start(const ServerLaunch& launch);
    // True once Start started the server.
    bool Started() const { return server_.has_value(); }
    // Waits for the started server's end, removes its "server.pid" and returns its exit code (128 + the signal's
    // number when a signal ended it).
    int Wait();

private:
    std::optional<StartedServer> server_;
};
