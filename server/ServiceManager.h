// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The service manager that started this program (systemd's notification protocol, through $NOTIFY_SOCKET);
// without one, nothing is sent.

// Sends `state`, lines such as "READY=1" and "STATUS=...".
void NotifyServiceManager(const std::string& state);

// True when the service manager expects "WATCHDOG=1" now and then ($WATCHDOG_USEC for this process).
bool ServiceWatchdogEnabled();
