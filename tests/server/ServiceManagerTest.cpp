// SPDX-License-Identifier: GPL-3.0-or-later
// The notifications to a service manager: datagrams to the socket NOTIFY_SOCKET names, a path or an abstract name,
// and the watchdog period that WATCHDOG_USEC gives the process WATCHDOG_PID names.
#include "server/ServiceManager.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A service manager's socket at `name` (a path, or "@" and an abstract name), bound for the test's own process.
class ManagerSocket {
public:
    explicit ManagerSocket(const std::string& name) : socket_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.data(), name.size());
        if (name.starts_with('@'))
            address.sun_path[0] = '\0';
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
        bound_ = socket_ >= 0 && ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0;
    }
    ~ManagerSocket() { ::close(socket_); }
    ManagerSocket(const ManagerSocket&) = delete;
    ManagerSocket& operator=(const ManagerSocket&) = delete;

    bool Bound() const { return bound_; }
    // The next datagram; the notification is sent before this is called, so it waits for nothing.
    std::string Received() const {
        char bytes[4096];
        const ssize_t size = ::recv(socket_, bytes, sizeof bytes, MSG_DONTWAIT);
        return size < 0 ? std::string("(nothing)") : std::string(bytes, static_cast<std::size_t>(size));
    }

private:
    int socket_;
    bool bound_ = false;
};

// Sets the environment variable `name` to `value`, or unsets it for nullopt.
void SetVariable(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

TEST(ServiceManager, TheStateGoesAsOneDatagramToAPathOrAnAbstractName) {
    TestFolder folder;
    const std::string state = "READY=1\nSTATUS=mp_harbor, 3 of 20 players";
    for (const std::string& name : {folder.File("notify"), "@quendry-test-notify-" + std::to_string(::getpid())}) {
        const ManagerSocket manager(name);
        ASSERT_TRUE(manager.Bound()) << name;
        SetVariable("NOTIFY_SOCKET", name);
        NotifyServiceManager(state);
        EXPECT_EQ(manager.Received(), state) << name;
    }
    ::unsetenv("NOTIFY_SOCKET");
}

TEST(ServiceManager, TheWatchdogPeriodIsForTheProcessItNames) {
    struct Case {
        std::optional<std::string> usec;
        std::optional<std::string> pid;
        std::optional<long long> period;
    };
    const std::string own = std::to_string(::getpid());
    const std::string other = std::to_string(::getpid() + 1);
    const std::vector<Case> cases = {
        {std::nullopt, std::nullopt, std::nullopt},
        {"30000000", std::nullopt, 30'000'000},
        {"2000000", own, 2'000'000},
        {"2000000", other, std::nullopt},
        {"2000000", "not a pid", std::nullopt},
        {"0", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"15s", std::nullopt, std::nullopt},
        {"-5", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SetVariable("WATCHDOG_USEC", c.usec);
        SetVariable("WATCHDOG_PID", c.pid);
        const auto period = ServiceWatchdogPeriod();
        EXPECT_EQ(period ? std::optional<long long>(period->count()) : std::nullopt, c.period)
            << c.usec.value_or("(unset)") << " " << c.pid.value_or("(unset)");
    }
    ::unsetenv("WATCHDOG_USEC");
    ::unsetenv("WATCHDOG_PID");
}

} // namespace
