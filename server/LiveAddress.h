// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"
#include "platform/LineList.h"
#include "server/GamePort.h"

#include <string>
#include <vector>

// Where the server of `instance` in `modPath` is asked: while it runs, at the address it was started with (its
// record's), whatever a Run without a launch wrote since; else where `advancedLines` (its "advanced.cfg") make it
// listen. A record that cannot be read names no server.
StatusAddress LiveServerAddress(const std::string& modPath, const Instance& instance, const LineList& advancedLines);
