// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/StatusReply.h"

#include <chrono>
#include <optional>
#include <string>

class UdpClock;
struct UdpAnswer;

// The port on which the game's dedicated server listens unless told otherwise.
inline constexpr int DefaultGamePort = 28960;
// How long the status query waits for the server's answer.
inline constexpr std::chrono::milliseconds StatusTimeout{1000};

// What a status query learned: the server's status, or why there is none.
struct StatusAnswer {
    std::optional<ServerStatus> status;
    std::string error;                      // set when there is no status, e.g. "No answer from 127.0.0.1:28960"
    std::chrono::milliseconds roundTrip{0}; // from the query that was answered to its answer
};

// "host:port", as messages name a server.
std::string ServerAddress(const std::string& host, int port);

// Why an exchange with the server at `host` and `port` gave no answer, as messages say it ("No answer from
// 127.0.0.1:28960 (Connection refused)", "Unknown host ..."); empty when it was answered.
std::string ExchangeError(const UdpAnswer& answer, const std::string& host, int port);

// Asks the server at `host` (a name or a dotted IPv4 address) and `port` for its status and waits up to
// `timeout` for the answer. Servers drop queries that come too often, so the query goes again after 300 and
// 600 ms while none is answered; datagrams that are not a status reply are ignored. `clock` replaces the
// system's clock.
StatusAnswer QueryServerStatus(const std::string& host, int port, std::chrono::milliseconds timeout = StatusTimeout,
                               const UdpClock* clock = nullptr);
