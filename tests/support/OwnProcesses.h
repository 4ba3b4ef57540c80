// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

// Sends `signal` to one process that the test started itself. An id of 0 or 1 (a process that never started, whose
// id reads as 0, or init) would reach the test's whole group or the system: the test fails and nothing is sent.
void SignalOwnProcess(pid_t process, int signal);

// Puts the test program in a session and process group of its own, so that a group signal gone astray ends the
// test program alone, never the test runner that started it.
void LeaveTheRunnersGroup();
