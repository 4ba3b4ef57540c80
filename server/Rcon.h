// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

class UdpClock;

// The game server's remote console: a command and the password go in one datagram, and the console's answer comes
// back in one or more "print" datagrams.

// How long a reply may stay quiet before it counts as whole, and how long it may take at most from its first
// datagram on.
inline constexpr std::chrono::milliseconds RconQuiet{300};
inline constexpr std::chrono::milliseconds RconLongest{2000};

// Four 0xFF bytes, "rcon", the password and the command, separated by blanks.
std::string RconRequest(std::string_view password, std::string_view command);

// The text of a reply datagram (four 0xFF bytes, "print" on a line of its own, then the text); nullopt when the
// datagram is not one.
std::optional<std::string_view> RconReplyText(std::string_view datagram);

// True when the server's answer refuses the command (a wrong password, or none set on the server), in any of the
// wordings of the engine family ("Bad rcon password.", "Invalid password.", "No rconpassword set on the
// server.").
bool IsRefusalReply(std::string_view text);

// What the remote console answered: the whole reply, or why there is none.
struct RconAnswer {
    std::optional<std::string> reply; // the texts of its datagrams, joined in the order they came
    std::string error;                // "No answer from 127.0.0.1:28960", or the server's own words for a refusal
    bool refused = false;             // the server answered with a refusal
};

// Sends `command` with `password` to the server at `host` and `port` once (a command is not repeated), waits up
// to a second for the reply and collects it until it goes quiet. `clock` replaces the system's clock.
RconAnswer SendRcon(const std::string& host, int port, std::string_view password, std::string_view command,
                    const UdpClock* clock = nullptr);
