// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServiceManager.h"

#include <systemd/sd-daemon.h>

void NotifyServiceManager(const std::string& state) {
    ::sd_notify(0, state.c_str());
}

bool ServiceWatchdogEnabled() {
    return ::sd_watchdog_enabled(0, nullptr) > 0;
}
