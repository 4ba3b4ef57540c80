// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"

#include <chrono>
#include <string>
#include <vector>

// Runs the command `words` (a program and its arguments, no shell) with `environment` ("NAME=VALUE") added to
// this program's, and waits for it: each line of its output and error goes to `log` as "Event command: LINE"; one
// that runs longer than `limit` is ended with everything it started, and that is logged, as is an exit code other
// than 0 or a command that cannot be started. `what` names the event in those lines.
void RunEventCommand(const std::vector<std::string>& words, const std::vector<std::string>& environment,
                     std::chrono::milliseconds limit, const std::string& what, const LogSink& log);
