#include "platform/UdpQuery.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace {

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
    return {outcome, {}, std::strerror(error)};
}

} // namespace

UdpAnswer QueryUdp(const std::string& host, int port, std::string_view request, std::chrono::milliseconds timeout) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); error != 0)
        return {UdpAnswer::Unresolved, {}, ::gai_strerror(error)};
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);

    const Socket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (socket.Get() < 0)
        return Failure(UdpAnswer::Failed, errno);
    // A connected socket receives only what comes from that address, and learns when the port is closed.
    if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Failure(UdpAnswer::Failed, errno);
    if (::send(socket.Get(), request.data(), request.size(), 0) < 0)
        return Failure(errno == ECONNREFUSED ? UdpAnswer::NoAnswer : UdpAnswer::Failed, errno);

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::array<char, 65536> buffer{};
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return {UdpAnswer::NoAnswer, {}, {}};
        pollfd wait{socket.Get(), POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR)
            return Failure(UdpAnswer::Failed, errno);
        if (ready <= 0)
            continue;
        const ssize_t size = ::recv(socket.Get(), buffer.data(), buffer.size(), 0);
        if (size >= 0)
            return {UdpAnswer::Answered, std::string(buffer.data(), static_cast<std::size_t>(size)), {}};
        if (errno == ECONNREFUSED)
            return Failure(UdpAnswer::NoAnswer, errno);
        if (errno != EINTR && errno != EAGAIN)
            return Failure(UdpAnswer::Failed, errno);
    }
}
