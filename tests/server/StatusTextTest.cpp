// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StatusText.h"

#include <gtest/gtest.h>

namespace {

const ServerStatus Harbor{"Brisela Server", "mp_harbor", "sd", {{12, 48, "Tom \"The Gun\""}, {-3, 0, "SniperBob"}}};

TEST(StatusTextTest, TheReportNamesEachValueThenTabulatesThePlayers) {
    EXPECT_EQ(StatusReport(Harbor),
              (std::vector<std::string>{"Host name : Brisela Server", "Map : mp_harbor", "Gametype : sd", "Players : 2",
                                        " Score   Ping  Name", "    12     48  Tom \"The Gun\"",
                                        "    -3      0  SniperBob"}));
    EXPECT_EQ(StatusReport(ServerStatus{"Empty", "mp_dawnville", "dm", {}}),
              (std::vector<std::string>{"Host name : Empty", "Map : mp_dawnville", "Gametype : dm", "Players : 0"}));
}

TEST(StatusTextTest, TheLimitAndThePasswordAreShownWhenTheServerGivesThem) {
    ServerStatus full{"Full", "mp_depot", "tdm", std::vector<PlayerStatus>(6, {0, 50, "x"})};
    full.playerLimit = 6;
    full.needsPassword = true;
    const std::vector<std::string> report = StatusReport(full);
    ASSERT_GE(report.size(), 5u);
    EXPECT_EQ(report[3], "Players : 6 / 6");
    EXPECT_EQ(report[4], "Password : needed");
    full.needsPassword = false;
    EXPECT_EQ(StatusReport(full)[4], "Password : none");
}

TEST(StatusTextTest, ColumnsStayApartForNumbersOfAnyWidth) {
    const ServerStatus wide{"", "", "", {{-2147483647, 2147483647, "Wide"}, {1234567, 7654321, "Seven"}}};
    const std::vector<std::string> report = StatusReport(wide);
    EXPECT_EQ(report[5], "-2147483647 2147483647  Wide");
    EXPECT_EQ(report[6], "1234567 7654321  Seven");
}

TEST(StatusTextTest, TheWindowLineSumsTheStatusUpOrSaysWhyThereIsNone) {
    EXPECT_EQ(StatusLine({Harbor, {}}), "Server status : Brisela Server, mp_harbor, sd, 2 players");
    EXPECT_EQ(StatusLine({ServerStatus{"", "mp_depot", "", {{1, 2, "Solo"}}}, {}}),
              "Server status : mp_depot, 1 player");
    EXPECT_EQ(StatusLine({ServerStatus{}, {}}), "Server status : 0 players");
    EXPECT_EQ(StatusLine({std::nullopt, "No answer from 127.0.0.1:28960"}),
              "Server status : No answer from 127.0.0.1:28960");
    EXPECT_EQ(StatusWaitingLine("10.0.0.2:28961"), "Server status : Asking 10.0.0.2:28961");
}

} // namespace
