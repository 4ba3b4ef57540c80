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
