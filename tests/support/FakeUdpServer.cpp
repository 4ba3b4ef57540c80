// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeUdpServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

FakeUdpServer::FakeUdpServer(std::optional<std::string> reply, int port)
    : FakeUdpServer(
          [reply = std::move(reply)](const std::string&, std::size_t) {
              return reply ? std::vector<std::string>{*reply} : std::vector<std::string>{};
          },
          port) {}

FakeUdpServer::FakeUdpServer(Responder responder, int port)
    : responder_(std::move(responder)), socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the fake server cannot bind port " + std::to_string(port));
    port_ = ntohs(address.sin_port);
    thread_ = std::thread(&FakeUdpServer::Serve, this);
}

FakeUdpServer::~FakeUdpServer() {
    stop_ = true;
    thread_.join();
    ::close(socket_);
}

std::vector<std::string> FakeUdpServer::Received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> FakeUdpServer::ReceivedBeforeNow() const {
    const std::string marker = "fake server marker";
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    ::sendto(probe, marker.data(), marker.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(probe);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    for (;;) {
        std::vector<std::string> received = Received();
        const auto found = std::find(received.begin(), received.end(), marker);
        if (found != received.end() || std::chrono::steady_clock::now() > giveUp) {
            received.erase(found, received.end());
            return received;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FakeUdpServer::Serve() {
    std::array<char, 65536> buffer{};
    while (!stop_) {
        pollfd wait{socket_, POLLIN, 0};
        if (::poll(&wait, 1, 20) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size =
            ::recvfrom(socket_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0)
            continue;
        const std::string datagram(buffer.data(), static_cast<std::size_t>(size));
        std::size_t index = 0;
        {
            const std::lock_guard lock(mutex_);
            index = received_.size();
            received_.push_back(datagram);
        }
        for (const std::string& reply : responder_(datagram, index))
            ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&from), length);
    }
}

namespace {

std::string ReadFixture(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing " + path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

std::string EngineReply(const std::string& name) {
    return ReadFixture(QUENDRY_ENGINE_REPLIES "/" + name);
}

std::string RecordedStatusReply() {
    return ReadFixture(QUENDRY_STATUS_REPLY);
}
