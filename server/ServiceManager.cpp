// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServiceManager.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The unsigned number that `text` holds whole; nullopt for anything else.
template <class Number> std::optional<Number> WholeNumber(const char* text) {
    if (text == nullptr)
        return std::nullopt;
    const std::string_view digits(text);
    Number number{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

} // namespace

void NotifyServiceManager(const std::string& state) {
    // The protocol: one datagram holding the lines, sent to the Unix socket NOTIFY_SOCKET names, a path or, after
    // "@", a name in the abstract namespace.
    const char* const socketName = std::getenv("NOTIFY_SOCKET");
    if (socketName == nullptr)
        return;
    const std::string_view name(socketName);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if ((!name.starts_with('/') && !name.starts_with('@')) || name.size() >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, name.data(), name.size());
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
    if (name.starts_with('@'))
        address.sun_path[0] = '\0';
    else
        ++length; // a path is sent with its terminating zero
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return;
    ::sendto(socket, state.data(), state.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address), length);
    ::close(socket);
}

std::optional<std::chrono::microseconds> ServiceWatchdogPeriod() {
    // WATCHDOG_USEC is meant for the process that WATCHDOG_PID names, when it names one.
    const auto period = WholeNumber<std::uint64_t>(std::getenv("WATCHDOG_USEC"));
    if (!period || *period == 0)
        return std::nullopt;
    if (const char* const pid = std::getenv("WATCHDOG_PID")) {
        const auto owner = WholeNumber<pid_t>(pid);
        if (!owner || *owner != ::getpid())
            return std::nullopt;
    }
    return std::chrono::microseconds(*period);
}
