// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UdpQuery.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// A socket closed when it goes out of scope.
class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

UdpAnswer Failure(UdpAnswer::Outcome outcome, int error) {
    UdpAnswer answer;
    answer.outcome = outcome;
    answer.reason = std::strerror(error);
    return answer;
}

const UdpClock SystemClock;

} // namespace

Clock::time_point UdpClock::Now() const {
    return Clock::now();
}

int UdpClock::WaitForDatagram(int socket, std::chrono::milliseconds timeout) const {
    pollfd wait{socket, POLLIN, 0};
    return ::poll(&wait, 1, static_cast<int>(timeout.count()));
}

UdpAnswer ExchangeUdp(const std::string& host, int port, const UdpExchange& exchange) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); error != 0) {
        UdpAnswer unresolved;
        unresolved.outcome = UdpAnswer::Unresolved;
        unresolved.reason = ::gai_strerror(error);
        return unresolved;
    }
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);

    const Socket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (socket.Get() < 0)
        return Failure(UdpAnswer::Failed, errno);
    // A connected socket receives only what comes from that address, and learns when the port is closed.
    if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Failure(UdpAnswer::Failed, errno);

    const UdpClock& clock = exchange.clock ? *exchange.clock : SystemClock;
    const auto send = [&] { return ::send(socket.Get(), exchange.request.data(), exchange.request.size(), 0) >= 0; };
    const Clock::time_point start = clock.Now();
    Clock::time_point lastSend = start;
    if (!send())
        return Failure(errno == ECONNREFUSED ? UdpAnswer::NoAnswer : UdpAnswer::Failed, errno);
    std::size_t sends = 0; // resends so far
    UdpAnswer answer;
    Clock::time_point firstCounted, lastCounted;
    std::array<char, 65536> buffer{};
    for (;;) {
        const Clock::time_point now = clock.Now();
        Clock::time_point until;
        if (answer.datagrams.empty()) {
            if (now >= start + exchange.timeout)
                return answer;
            if (sends < exchange.resendAt.size() && now >= start + exchange.resendAt[sends]) {
                ++sends;
                lastSend = now;
                if (!send() && errno != ECONNREFUSED)
                    return Failure(UdpAnswer::Failed, errno);
                continue;
            }
            until = start + exchange.timeout;
            if (sends < exchange.resendAt.size())
                until = std::min(until, start + exchange.resendAt[sends]);
        } else {
            if (exchange.quiet.count() == 0)
                return answer;
            until = std::min(lastCounted + exchange.quiet, firstCounted + exchange.collectFor);
            if (now >= until)
                return answer;
        }
        const int ready =
            clock.WaitForDatagram(socket.Get(), std::chrono::ceil<std::chrono::milliseconds>(until - now));
        if (ready < 0 && errno != EINTR)
            return Failure(UdpAnswer::Failed, errno);
        if (ready <= 0)
            continue;
        const ssize_t size = ::recv(socket.Get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (size < 0) {
            // A closed port is reported on the next receive: nobody will answer.
            if (errno == ECONNREFUSED && answer.datagrams.empty())
                return Failure(UdpAnswer::NoAnswer, errno);
            if (errno != EINTR && errno != EAGAIN && errno != ECONNREFUSED)
                return Failure(UdpAnswer::Failed, errno);
            continue;
        }
        const std::string_view datagram(buffer.data(), static_cast<std::size_t>(size));
        if (exchange.counts && !exchange.counts(datagram)) {
            answer.ignored = true;
            continue;
        }
        const Clock::time_point received = clock.Now();
        if (answer.datagrams.empty()) {
            answer.outcome = UdpAnswer::Answered;
            answer.roundTrip = std::chrono::duration_cast<std::chrono::milliseconds>(received - lastSend);
            firstCounted = received;
        }
        lastCounted = received;
        answer.datagrams.emplace_back(datagram);
    }
}
