// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/OwnProcesses.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

void SignalOwnProcess(pid_t process, int signal) {
    if (process <= 1 || process == ::getpid()) {
        ADD_FAILURE() << "refused to send signal " << signal << " to process " << process
                      << ": it is not a process this test started";
        return;
    }
    ::kill(process, signal);
}

void LeaveTheRunnersGroup() {
    // A program started from a shell already leads its own group, and setsid() then fails with EPERM.
    if (::setsid() == -1 && errno != EPERM) {
        std::perror("setsid");
        std::exit(1);
    }
}
