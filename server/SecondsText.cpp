// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/SecondsText.h"

#include <charconv>

std::string SecondsText(std::chrono::milliseconds period) {
    // Written without the locale, which may use a comma.
    char seconds[32];
    const auto written = std::to_chars(seconds, seconds + sizeof seconds, static_cast<double>(period.count()) / 1000.0);
    return std::string(seconds, written.ptr).append(" s");
}
