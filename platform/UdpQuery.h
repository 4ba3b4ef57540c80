// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One question and its answer over UDP (IPv4), as game servers answer status queries and remote-console commands.

// The time and the waits of an exchange; tests give one of their own to run a schedule without waiting it out.
class UdpClock {
public:
    virtual ~UdpClock() = default;
    virtual std::chrono::steady_clock::time_point Now() const;
    // Waits up to `timeout` for a datagram on `socket`: 1 when one has come, 0 when the time has passed, -1 when
    // the system refused the wait (errno says why).
    virtual int WaitForDatagram(int socket, std::chrono::milliseconds timeout) const;
};

// How to ask and what counts as the answer.
struct UdpExchange {
    std::string request;
    // How long to wait for the first datagram that counts, from the first send.
    std::chrono::milliseconds timeout{1000};
    // While nothing that counts has come, the request goes again at these times after the first send (servers
    // drop queries that come too often).
    std::vector<std::chrono::milliseconds> resendAt;
    // The datagrams that count; the others are ignored and the wait goes on. Every datagram counts when empty.
    std::function<bool(std::string_view)> counts;
    // Zero: the first datagram that counts is the answer. Otherwise the answer goes on in further datagrams until
    // none has come for this long, and ends at the latest `collectFor` after its first datagram.
    std::chrono::milliseconds quiet{0};
    std::chrono::milliseconds collectFor{0};
    // The system's clock when null.
    const UdpClock* clock = nullptr;
};

struct UdpAnswer {
    enum Outcome {
        Answered,   // `datagrams` holds the answer
        NoAnswer,   // nothing that counts came back in time, or the host refused the port
        Unresolved, // the host name does not resolve to an IPv4 address
        Failed,     // the system refused a socket operation
    };
    Outcome outcome = NoAnswer;
    std::vector<std::string> datagrams;     // the datagrams that counted, in the order they came
    std::string reason;                     // the system's reason when there is one
    bool ignored = false;                   // datagrams came that did not count
    std::chrono::milliseconds roundTrip{0}; // from the last send before the answer to its first datagram
};

// Sends the request to `host` (a name or a dotted address) on `port` and waits for the answer from that address
// only. The name lookup comes before the wait and is not counted in it.
UdpAnswer ExchangeUdp(const std::string& host, int port, const UdpExchange& exchange);
