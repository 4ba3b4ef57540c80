// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Where windowless code reports its steps: one whole run log line per call, "subject : outcome".
using LogSink = std::function<void(const std::string& line)>;
