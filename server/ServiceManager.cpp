// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServiceManager.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

void NotifyServiceManager(const std::string& state) {
    ::sd_notify(0, state.c_str());
}

std::optional<std::chrono::microseconds> ServiceWatchdogPeriod() {
    std::uint64_t period = 0;
    if (::sd_watchdog_enabled(0, &period) <= 0)
        return std::nullopt;
    return std::chrono::microseconds(period);
}
