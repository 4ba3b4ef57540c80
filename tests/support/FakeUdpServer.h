#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A game server stand-in: a socket bound to `port` of 127.0.0.1 (a free one when 0), served by a thread of its own that
// records each datagram it receives and answers it with `reply`, or stays silent without one. Stops when destroyed.
class FakeUdpServer {
public:
    // Throws when the port is taken.
    explicit FakeUdpServer(std::optional<std::string> reply, int port = 0);
    ~FakeUdpServer();
    FakeUdpServer(const FakeUdpServer&) = delete;
    FakeUdpServer& operator=(const FakeUdpServer&) = delete;

    int Port() const { return port_; }
    // The datagrams received so far.
    std::vector<std::string> Received() const;

private:
    void Serve();

    std::optional<std::string> reply_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::thread thread_; // last, so that it starts once everything above exists
};

// A status reply as a Call of Duty server sends it: map mp_harbor, gametype sd, host name "^1Brisela ^7Server",
// and three players: 12 48 "^2Tom ^7"The Gun"", -3 0 "^4Sniper^7Bob", 0 999 "Café" (in Windows-1252).
std::string RecordedStatusReply();
