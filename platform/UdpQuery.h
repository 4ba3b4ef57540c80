#pragma once

#include <chrono>
#include <string>
#include <string_view>

// One question and one answer over UDP (IPv4), as game servers answer status queries.

struct UdpAnswer {
    enum Outcome {
        Answered,   // `datagram` holds the answer
        NoAnswer,   // nothing came back in time, or the host refused the port
        Unresolved, // the host name does not resolve to an IPv4 address
        Failed,     // the system refused a socket operation
    };
    Outcome outcome = NoAnswer;
    std::string datagram;
    std::string reason; // the system's reason when there is one
};

// Sends `request` to `host` (a name or a dotted address) on `port` and waits up to `timeout` for one datagram
// from that address. The name lookup comes before the wait and is not counted in it.
UdpAnswer QueryUdp(const std::string& host, int port, std::string_view request, std::chrono::milliseconds timeout);
