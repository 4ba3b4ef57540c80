#include "support/FakeUdpServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

FakeUdpServer::FakeUdpServer(std::optional<std::string> reply, int port)
    : reply_(std::move(reply)), socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
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
        {
            const std::lock_guard lock(mutex_);
            received_.emplace_back(buffer.data(), static_cast<std::size_t>(size));
        }
        if (reply_)
            ::sendto(socket_, reply_->data(), reply_->size(), 0, reinterpret_cast<const sockaddr*>(&from), length);
    }
}

std::string RecordedStatusReply() {
    std::ifstream file(QUENDRY_STATUS_REPLY, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing " QUENDRY_STATUS_REPLY);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
