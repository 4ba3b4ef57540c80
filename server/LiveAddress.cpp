// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/LiveAddress.h"

#include "server/ServerStop.h"

StatusAddress LiveServerAddress(const std::string& modPath, const Instance& instance, const LineList& advancedLines) {
    try {
        if (const FoundServer found = FindServer(modPath, instance); found.InTheWay())
            return ListenAddressOf(NetSettingsOfParameters(found.record.parameters));
    } catch (const std::exception&) {
        // A record that cannot be read names no server: the advanced lines tell.
    }
    return ListenAddressOf(NetSettingsOf(advancedLines));
}
