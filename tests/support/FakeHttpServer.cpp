// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace {

// The whole request on `connection`, or what came before the peer closed it or the server was told to stop.
std::string ReadRequest(int connection, int stop) {
    std::string request;
    std::size_t headersEnd = std::string::npos;
    std::size_t length = 0;
    for (;;) {
        if (headersEnd != std::string::npos && request.size() >= headersEnd + 4 + length)
            return request;
        pollfd watched[] = {{connection, POLLIN, 0}, {stop, POLLIN, 0}};
        if (::poll(watched, 2, -1) <= 0 || (watched[1].revents & POLLIN) != 0)
            return request;
        char bytes[4096];
        const ssize_t size = ::recv(connection, bytes, sizeof bytes, 0);
        if (size <= 0)
            return request;
        request.append(bytes, static_cast<std::size_t>(size));
        if (headersEnd == std::string::npos && (headersEnd = request.find("\r\n\r\n")) != std::string::npos) {
            const std::size_t field = request.find("Content-Length: ");
            length = field < headersEnd ? std::strtoul(request.c_str() + field + 16, nullptr, 10) : 0;
        }
    }
}

} // namespace

FakeHttpServer::FakeHttpServer(std::optional<int> status) : status_(status) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket_, 16) != 0 || ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        ::pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("the fake HTTP server cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

FakeHttpServer::~FakeHttpServer() {
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(stopPipe_[1], &byte, 1);
    thread_.join();
    for (const int connection : held_)
        ::close(connection);
    for (const int end : {socket_, stopPipe_[0], stopPipe_[1]})
        ::close(end);
}

std::string FakeHttpServer::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/hook";
}

std::vector<std::string> FakeHttpServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> FakeHttpServer::Bodies() const {
    std::vector<std::string> bodies;
    for (const std::string& request : Requests())
        bodies.push_back(request.substr(std::min(request.size(), request.find("\r\n\r\n") + 4)));
    return bodies;
}

void FakeHttpServer::Serve() {
    for (;;) {
        pollfd watched[] = {{socket_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0 || (watched[1].revents & POLLIN) != 0)
            return;
        const int connection = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        const std::string request = ReadRequest(connection, stopPipe_[0]);
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (!status_) {
            held_.push_back(connection);
            continue;
        }
        const std::string answer =
            "HTTP/1.1 " + std::to_string(*status_) + " Fake\r\nContent-Length: 2\r\n" + "Connection: close\r\n\r\nok";
        [[maybe_unused]] const auto sent = ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::close(connection);
    }
}
