// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UdpQuery.h"

#include <poll.h>

#include <chrono>
#include <mutex>
#include <vector>

// A clock for UDP exchanges that never waits: a datagram already there is taken at once, and a wait for one that
// is not there moves the time on by the whole wait, which it records.
class StepClock : public UdpClock {
public:
    std::chrono::steady_clock::time_point Now() const override {
        const std::lock_guard lock(mutex_);
        return now_;
    }
    int WaitForDatagram(int socket, std::chrono::milliseconds timeout) const override {
        pollfd wait{socket, POLLIN, 0};
        if (::poll(&wait, 1, 0) > 0)
            return 1;
        const std::lock_guard lock(mutex_);
        waits_.push_back(timeout);
        now_ += timeout;
        return 0;
    }
    // The waits that passed without a datagram, in their order.
    std::vector<std::chrono::milliseconds> Waits() const {
        const std::lock_guard lock(mutex_);
        return waits_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::chrono::steady_clock::time_point now_{};
    mutable std::vector<std::chrono::milliseconds> waits_;
};
