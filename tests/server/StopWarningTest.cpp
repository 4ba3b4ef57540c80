// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StopWarning.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

TEST(StopWarningTest, DurationsAreReadAsAdministratorsWriteThem) {
    const std::pair<const char*, std::optional<milliseconds>> cases[] = {
        {"90", 90s},
        {"2s", 2s},
        {"0.5", 500ms},
        {"5m", 5min},
        {"5min", 5min},
        {"1h", 1h},
        {"1m30s", 90s},
        {"1.5h", 90min},
        {"", 0ms},
        {"0", 0ms},
        {"5x", std::nullopt},
        {"m", std::nullopt},
        {"-5s", std::nullopt},
        {"5 m", std::nullopt},
        {"inf", std::nullopt},
        {"1e300s", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseDuration(text), expected) << text;
}

TEST(StopWarningTest, PlayersHearOfTheStopAtTheWholeWarningThenAtTheSetPointsBelowIt) {
    const std::pair<milliseconds, std::vector<milliseconds>> cases[] = {
        {5min, {5min, 1min, 30s, 10s}},
        {2s, {2s}},
        {12s, {12s, 10s}},
        {10s, {10s}},
        {1h, {1h, 30min, 15min, 10min, 5min, 1min, 30s, 10s}},
        {0ms, {}},
    };
    for (const auto& [warning, points] : cases)
        EXPECT_EQ(WarningPoints(warning), points) << warning.count();
}

TEST(StopWarningTest, TheTimeLeftIsSaidInItsLargestWholeUnit) {
    const std::pair<milliseconds, const char*> cases[] = {
        {5min, "5 minutes"}, {1min, "1 minute"}, {30s, "30 seconds"}, {1s, "1 second"},
        {1h, "1 hour"},      {2h, "2 hours"},    {90s, "90 seconds"}, {2500ms, "3 seconds"},
    };
    for (const auto& [left, text] : cases)
        EXPECT_EQ(TimeLeftText(left), text) << left.count();
}

TEST(StopWarningTest, TheWarningIsOneSayWithTheTimeLeftInItsText) {
    EXPECT_EQ(WarningCommand("Server stops in {time}", 5min), "say \"Server stops in 5 minutes\"");
    EXPECT_EQ(WarningCommand("Restart in {time}, back in {time}", 10s),
              "say \"Restart in 10 seconds, back in 10 seconds\"");
    // A double quote would end the say's one word early.
    EXPECT_EQ(WarningCommand("The \"big\" map change", 30s), "say \"The 'big' map change\"");
}

} // namespace
