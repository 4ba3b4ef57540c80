#pragma once

#include "config/LogSink.h"
#include "server/ProcessHandle.h"
#include "server/ServerProgram.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// How long a started server is watched before it counts as up.
inline constexpr std::chrono::milliseconds DefaultServerWatch{3000};

// Where a started server's standard output and error go.
enum class ServerOutput {
    LogFile,  // appended to "server.log" in the mod folder; no standard input
    Inherited // this program's own standard input, output and error (a service manager's journal)
};

// A server that was started: its process, where its output of this start begins, and its mod folder.
struct StartedServer {
    ProcessHandle process;
    ServerLaunch launch;
    std::uintmax_t logOffset = 0; // the size "server.log" had before this start
};

// What a start gave: the result code of the shell (ShellOpenStarted, ShellOpenFileNotFound when the executable is
// missing, ShellOpenNoProgram when it or its runner cannot be run) and the server when it started.
struct StartResult {
    int code = 0;
    std::optional<StartedServer> server;
};

// Starts the server of `launch` in the game folder, in a session of its own so that it outlives this program
// and the terminal, with the signals' default handling; a ".exe" goes through the Windows program runner. Writes
// "server.pid" in the mod folder. Throws FileError when "server.log" cannot be opened.
StartResult StartServer(const ServerLaunch& launch, ServerOutput output);

// The start check: waits up to `watch` for the server to end. When it ends, logs the lines of a server stopped at
// start, removes "server.pid" and returns false; otherwise logs "Server running after N s (process P)". A watch of
// zero checks nothing and logs nothing.
bool CheckServerStart(const StartedServer& server, std::chrono::milliseconds watch, const LogSink& log);

// "Server running after N s (process P)".
std::string ServerRunningLine(std::chrono::milliseconds watch, pid_t processId);

// A period as the run log gives it: "N s", N in seconds with its fraction when it has one ("3 s", "0.5 s").
std::string SecondsText(std::chrono::milliseconds period);
