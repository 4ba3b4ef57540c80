// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"
#include "platform/ProcessHandle.h"
#include "server/GamePort.h"
#include "server/ServerProgram.h"
#include "server/StatusReply.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// How long the start check waits for a started server's first status answer, unless told otherwise.
inline constexpr std::chrono::milliseconds DefaultServerWatch{15000};
// How long the start check watches a server that answers no status query (server type None): only that it lives.
inline constexpr std::chrono::milliseconds LivenessWatch{3000};

// The least time between two status queries while the first answer is awaited: an engine drops queries of one
// address that come faster.
inline constexpr std::chrono::milliseconds FirstAnswerPause{300};

// Where a started server's standard output and error go.
enum class ServerOutput {
    LogFile,  // appended to "server.log" in the mod folder; no standard input
    Inherited // this program's own standard input, output and error (a service manager's journal); this program
              // stays with the server as its supervisor, named in "server.pid" so that a stop asks it
};

// A server that was started: its process (the leader of its session, or the process that serves on in the session
// once the start script ended), its session, where its output of this start begins, and its mod folder.
struct StartedServer {
    ProcessHandle process;
    ServerLaunch launch;
    std::uintmax_t logOffset = 0; // the size "server.log" had before this start
    pid_t session = 0;            // the server's session: the id of the process that started it
};

// What a start gave: the result code of the shell (ShellOpenStarted, ShellOpenFileNotFound when the executable is
// missing, ShellOpenNoProgram when it or its runner cannot be run) and the server when it started.
struct StartResult {
    int code = 0;
    std::optional<StartedServer> server;
};

// Starts the server of `launch` in the game folder, in a session of its own so that it outlives this program
// and the terminal, with the signals' default handling; a ".exe" goes through the Windows program runner. Writes
// the instance's "server.pid" in the mod folder. Throws FileError when "server.log" cannot be opened, and
// std::runtime_error when "server.pid" names a server of this instance that still runs (it is never replaced
// while its server lives), another instance's live server wants the same port (FindPortClash) or another program
// holds it (FindPortHolder).
StartResult StartServer(const ServerLaunch& launch, ServerOutput output);

// How the start check ended.
enum class StartCheck {
    Skipped,   // a watch of zero checks nothing
    Answering, // the server answered its status query
    Running,   // a server that answers no query kept running through the watch
    Silent,    // the server runs but did not answer within the watch
    Moved,     // the server opened another port than the one asked, which another program holds
    Ended      // the server ended during the watch
};

// The start check: waits up to `watch` for the server to answer a status query at its address (a server of
// type None: only that it keeps running, at most LivenessWatch), following its session when the start script
// ends (FollowSession), and logs how it went. A server that ends during the check has "server.pid" removed.
StartCheck CheckServerStart(StartedServer& server, std::chrono::milliseconds watch, const LogSink& log);

// When the process held of `server` ended but other processes of its session serve on (a start script put the
// engine in the background and ended): reaps the script, holds the process that serves, names it in "server.pid"
// and logs ServesOnLine. False when the session ended with the process.
bool FollowSession(StartedServer& server, const LogSink& log);

// The first status answer of the server of `session` at `address`, asked again and again until it comes, `watch`
// is over, or `giveUp` says so; `after` is how long it took. Answers from a socket of another program are not the
// server's; a server that opened another port while another program holds the asked one is reported in `movedTo`.
struct FirstAnswer {
    std::optional<ServerStatus> status;
    std::chrono::milliseconds after{0};
    std::optional<int> movedTo;
};
FirstAnswer AwaitFirstAnswer(const StatusAddress& address, pid_t session, std::chrono::milliseconds watch,
                             const std::function<bool()>& giveUp);

// "Server answering on HOST:PORT after N s (MAP, GAMETYPE)", N to a tenth of a second.
std::string AnsweringLine(const StatusAddress& address, std::chrono::milliseconds after, const ServerStatus& status);
// "Waiting for the server to answer on HOST:PORT …", the line that says what the start check awaits.
std::string WaitingLine(const StatusAddress& address);
// "Server runs but does not answer on port PORT".
std::string SilentLine(const StatusAddress& address);
// "Server stopped at start (exit code N)".
std::string StoppedAtStartLine(int exitCode);
// "Server running after N s (process P)".
std::string ServerRunningLine(std::chrono::milliseconds watch, pid_t processId);
// The run log lines of a start that failed: the server's last output lines of this start, then `failure`, last.
std::vector<std::string> FailedStartLines(const std::string& failure, const StartedServer& server);
