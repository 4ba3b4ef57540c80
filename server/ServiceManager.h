// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>

// The service manager that started this program (systemd's notification protocol: datagrams to the Unix socket that
// $NOTIFY_SOCKET names, a path or "@" and an abstract name); without one, nothing is sent.

// Sends `state`, lines such as "READY=1" and "STATUS=...".
void NotifyServiceManager(const std::string& state);

// How often the service manager expects "WATCHDOG=1" at the latest ($WATCHDOG_USEC for this process); nullopt when
// it expects none.
std::optional<std::chrono::microseconds> ServiceWatchdogPeriod();
