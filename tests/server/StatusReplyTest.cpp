// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StatusReply.h"

#include "support/FakeUdpServer.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const ServerStatus& status, std::ostream* out) {
    *out << "{host '" << status.hostName << "', map '" << status.map << "', gametype '" << status.gametype << "'";
    for (const PlayerStatus& player : status.players)
        *out << ", [" << player.score << " " << player.ping << " '" << player.name << "']";
    *out << "}";
}

namespace {

using namespace std::string_literals;

const std::string Header = "\xff\xff\xff\xffstatusResponse\n";

TEST(StatusReplyTest, TheQueryIsFourFFBytesThenGetstatus) {
    EXPECT_EQ(StatusRequest(), "\xff\xff\xff\xffgetstatus"s);
}

TEST(StatusReplyTest, ARecordedReplyGivesHostMapGametypeAndPlayersWithoutColours) {
    const auto status = ParseStatusReply(RecordedStatusReply());
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, (ServerStatus{"Brisela Server",
                                     "mp_harbor",
                                     "sd",
                                     {{12, 48, "Tom \"The Gun\""}, {-3, 0, "SniperBob"}, {0, 999, "Caf\u00e9"}},
                                     20,
                                     std::nullopt,
                                     "^1Brisela ^7Server"}));
}

TEST(StatusReplyTest, AReplyOfTheEngineGivesTheLimitThePasswordFlagAndTheNamesAsTheEngineShowsThem) {
    const auto status = ParseStatusReply(EngineReply("getstatus.bin"));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->hostName, "Red Server ^7");
    EXPECT_EQ(status->rawHostName, "^1Red^7 Server ^^77");
    EXPECT_EQ(status->map, "aggressor");
    EXPECT_EQ(status->gametype, "0");
    EXPECT_EQ(status->playerLimit, 8);
    EXPECT_EQ(status->needsPassword, true);
    EXPECT_EQ(status->players, (std::vector<PlayerStatus>{{0, 0, "Green"}, {0, 0, "O'Neil"}, {0, 0, "^7caret"}}));
}

TEST(StatusReplyTest, TheLimitAndThePasswordFlagAreReadOnlyFromWholeNumbers) {
    const std::pair<std::string, std::pair<std::optional<int>, std::optional<bool>>> cases[] = {
        {"\\sv_maxclients\\16\\g_needpass\\0", {16, false}},
        {"\\sv_maxclients\\ 6 \\g_needpass\\2", {6, true}},
        {"\\mapname\\mp_x", {std::nullopt, std::nullopt}},
        {"\\sv_maxclients\\6x\\g_needpass\\yes", {std::nullopt, std::nullopt}},
        {"\\sv_maxclients\\\\g_needpass\\", {std::nullopt, std::nullopt}},
    };
    for (const auto& [settings, expected] : cases) {
        const auto status = ParseStatusReply(Header + settings + "\n");
        ASSERT_TRUE(status) << settings;
        EXPECT_EQ(status->playerLimit, expected.first) << settings;
        EXPECT_EQ(status->needsPassword, expected.second) << settings;
    }
}

TEST(StatusReplyTest, WhatIsNotAStatusReplyIsRefused) {
    for (const std::string& reply :
         {""s, "\xff\xff\xff"s, "statusResponse\n\\mapname\\mp_x\n"s,
          "\xff\xff\xff\xffinfoResponse\n\\mapname\\mp_x\n"s, "\xff\xff\xff\xffstatusResponses\n\\mapname\\mp_x\n"s,
          "\xff\xff\xff\xff\x00statusResponse\n"s, "\xff\xff\xff\xffSTATUSRESPONSE\n"s})
        EXPECT_FALSE(ParseStatusReply(reply)) << reply;
}

struct ReplyCase {
    const char* what;
    std::string reply;
    ServerStatus expected;
};

TEST(StatusReplyTest, SettingsAndPlayersAreReadAsFarAsTheyGo) {
    const ReplyCase cases[] = {
        {"only the header", "\xff\xff\xff\xffstatusResponse"s, {}},
        {"header and an empty settings line", Header + "\n", {}},
        {"no line feed at the end", Header + "\\mapname\\mp_x\\g_gametype\\dm", {"", "mp_x", "dm", {}}},
        {"keys of any case, the first of a repeated key",
         Header + "\\MAPNAME\\mp_a\\Sv_HostName\\Host\\mapname\\mp_b\n",
         {"Host", "mp_a", "", {}}},
        {"settings without the first backslash", Header + "g_gametype\\tdm\\mapname\\mp_y\n", {"", "mp_y", "tdm", {}}},
        {"a key without value at the end", Header + "\\g_gametype\\sd\\mapname\n", {"", "", "sd", {}}},
        {"carriage returns before the line feeds",
         Header + "\\mapname\\mp_c\r\n3 40 \"Ann\"\r\n",
         {"", "mp_c", "", {{3, 40, "Ann"}}}},
        {"blanks and tabs around the numbers",
         Header + "\n  7 \t 80   \"Spaced Out\"  \n",
         {"", "", "", {{7, 80, "Spaced Out"}}}},
        {"lines that do not begin with two whole numbers are skipped",
         Header + "\nabc 50 \"x\"\n5 \"y\"\n\n5x 50 \"z\"\n5 50x \"w\"\n99999999999 5 \"big\"\n1 2 \"kept\"\n",
         {"", "", "", {{1, 2, "kept"}}}},
        {"a name without quotes, with one quote, or none at all",
         Header + "\n1 10 Bare Name \n2 20 \"unterminated\n3 30\n",
         {"", "", "", {{1, 10, "Bare Name"}, {2, 20, "unterminated"}, {3, 30, ""}}}},
        {"a name holding quotes: from the first to the last quote",
         Header + "\n0 5 \"a \"b\" c\" \n",
         {"", "", "", {{0, 5, "a \"b\" c"}}}},
        {"colour codes: a caret and any one character; a caret at the end stays",
         Header + "\\sv_hostname\\^1Red^7 ^xServer^\n0 0 \"^7\"\n",
         {"Red Server^", "", "", {{0, 0, ""}}}},
        {"a caret before a caret starts no colour code, as the engine shows it",
         Header + "\n0 0 \"^^77caret\"\n0 0 \"^^1x\"\n0 0 \"^^^7a^^\"\n",
         {"", "", "", {{0, 0, "^7caret"}, {0, 0, "^x"}, {0, 0, "^^a^^"}}}},
        {"a colour code's character may be a letter outside ASCII",
         Header + "\n0 0 \"a^\xc3\xa9z\"\n",
         {"", "", "", {{0, 0, "az"}}}},
        {"control characters, NUL bytes and C1 controls are removed",
         Header + "\\sv_hostname\\a\x1b[31mb\x7f\n0 0 \"x\0y\xc2\x9bz\"\n"s,
         {"a[31mb", "", "", {{0, 0, "xyz"}}}},
        {"line and paragraph separators and bidirectional overrides and isolates are removed",
         Header + "\\sv_hostname\\a\xe2\x80\xae"
                  "b\xe2\x80\xa8"
                  "c\n0 0 \"x\xe2\x81\xa6y\xe2\x81\xa9z\xe2\x80\xa9\"\n",
         {"abc", "", "", {{0, 0, "xyz"}}}},
        {"UTF-8 stays, other bytes are read as Windows-1252",
         Header + "\\sv_hostname\\Caf\xc3\xa9\n0 0 \"\x80uro\"\n",
         {"Caf\u00e9", "", "", {{0, 0, "\u20acuro"}}}},
    };
    for (const ReplyCase& test : cases) {
        const auto status = ParseStatusReply(test.reply);
        ASSERT_TRUE(status) << test.what;
        // The host name with its colour codes has cases of its own.
        EXPECT_EQ((ServerStatus{status->hostName, status->map, status->gametype, status->players}), test.expected)
            << test.what;
    }
}

} // namespace
