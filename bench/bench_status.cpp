// SPDX-License-Identifier: GPL-3.0-or-later
// `quendry status` asking a server once, against qstat's `quakestat -cods` asking the same server, both as whole
// processes in processor time, in turns. The server is this process: it answers every datagram with a status reply
// recorded from a real engine. Goal: the status costs at most 1.5 times quakestat's.
#include "BenchSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

constexpr int Rounds = 31;
constexpr double GoalRatio = 1.5;
constexpr std::string_view Stop = "stop";

// A UDP socket on 127.0.0.1 that answers every datagram with `reply` until it receives Stop from itself.
class TRecordedServer {
public:
    explicit TRecordedServer(std::string reply) : reply_(std::move(reply)), socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        answering_ = std::thread([this] { Answer(); });
    }
    ~TRecordedServer() {
        if (answering_.joinable()) {
            const int own = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(port_);
            ::sendto(own, Stop.data(), Stop.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::close(own);
            answering_.join();
        }
        if (socket_ >= 0)
            ::close(socket_);
    }
    TRecordedServer(const TRecordedServer&) = delete;
    TRecordedServer& operator=(const TRecordedServer&) = delete;

    // The port it answers on; 0 when it could not open one.
    int Port() const { return port_; }

private:
    void Answer() {
        char query[1500];
        for (;;) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t size =
                ::recvfrom(socket_, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (size < 0)
                return;
            if (std::string_view(query, static_cast<std::size_t>(size)) == Stop)
                return;
            ::sendto(socket_, reply_.data(), reply_.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    }

    std::string reply_;
    int socket_;
    int port_ = 0;
    std::thread answering_;
};

} // namespace

int main() {
    std::ifstream recorded(RECORDED_STATUS_REPLY, std::ios::binary);
    TRecordedServer server({std::istreambuf_iterator<char>(recorded), std::istreambuf_iterator<char>()});
    if (server.Port() == 0) {
        std::printf("no UDP port to answer on\n");
        return 2;
    }
    const std::string port = std::to_string(server.Port());
    const auto times = MedianOfPairedRuns(
        Rounds,
        [&] {
            return ProcessorMilliseconds({QUENDRY_EXECUTABLE, "status", "--host", "127.0.0.1", "--port", port});
        },
        [&] {
            return ProcessorMilliseconds({"quakestat", "-cods", "127.0.0.1:" + port});
        });
    if (!times) {
        std::printf("a status query failed (is qstat installed?)\n");
        return 2;
    }
    ReportRatio("status / quakestat", *times, GoalRatio);
    return 0;
}
