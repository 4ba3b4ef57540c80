#pragma once

#include "server/StatusReply.h"

#include <chrono>
#include <optional>
#include <string>

// The port on which the game's dedicated server listens unless told otherwise.
inline constexpr int DefaultGamePort = 28960;
// How long the status query waits for the server's answer.
inline constexpr std::chrono::milliseconds StatusTimeout{1000};

// What a status query learned: the server's status, or why there is none.
struct StatusAnswer {
    std::optional<ServerStatus> status;
    std::string error; // set when there is no status, e.g. "No answer from 127.0.0.1:28960"
};

// "host:port", as messages name a server.
std::string ServerAddress(const std::string& host, int port);

// Asks the server at `host` (a name or a dotted IPv4 address) and `port` for its status and waits up to
// `timeout` for the answer.
StatusAnswer QueryServerStatus(const std::string& host, int port, std::chrono::milliseconds timeout = StatusTimeout);
