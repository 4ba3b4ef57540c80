// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A game server stand-in: a socket bound to `port` of 127.0.0.1 (a free one when 0), served by a thread of its own that
// records each datagram it receives and answers it with `reply`, or stays silent without one. Stops when destroyed.
class FakeUdpServer {
public:
    // The datagrams that answer the `index`th datagram received (counted from 0), sent in their order; none to
    // stay silent. It runs on the server's thread.
    using Responder = std::function<std::vector<std::string>(const std::string& datagram, std::size_t index)>;

    // Throws when the port is taken.
    explicit FakeUdpServer(std::optional<std::string> reply, int port = 0);
    explicit FakeUdpServer(Responder responder, int port = 0);
    ~FakeUdpServer();
    FakeUdpServer(const FakeUdpServer&) = delete;
    FakeUdpServer& operator=(const FakeUdpServer&) = delete;

    int Port() const { return port_; }
    // The datagrams received so far.
    std::vector<std::string> Received() const;
    // Every datagram sent to the server before this call (on this machine, where datagrams keep their order):
    // sends a marker of its own and waits until it is received (gives up after a minute).
    std::vector<std::string> ReceivedBeforeNow() const;

private:
    void Serve();

    Responder responder_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::thread thread_; // last, so that it starts once everything above exists
};

// The datagram `name` recorded from a real server of the game's engine family (tests/data/engine-replies).
std::string EngineReply(const std::string& name);

// A status reply as a Call of Duty server sends it: map mp_harbor, gametype sd, host name "^1Brisela ^7Server",
// and three players: 12 48 "^2Tom ^7"The Gun"", -3 0 "^4Sniper^7Bob", 0 999 "Café" (in Windows-1252).
std::string RecordedStatusReply();
