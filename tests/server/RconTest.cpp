// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Rcon.h"

#include "support/FakeUdpServer.h"
#include "support/StepClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

// The ten datagrams of one long answer, as the engine sent them.
std::vector<std::string> CvarlistDatagrams() {
    std::vector<std::string> datagrams;
    for (int i = 0; i < 10; ++i)
        datagrams.push_back(EngineReply("rcon-cvarlist." + std::to_string(i) + ".bin"));
    return datagrams;
}

TEST(RconTest, TheCommandGoesWithThePasswordAfterFourFFBytesAndRcon) {
    EXPECT_EQ(RconRequest("secret", "g_gravity -800"), "\xff\xff\xff\xffrcon secret g_gravity -800"s);
}

TEST(RconTest, RepliesOfTheEngineAreReadAndARefusalIsKnownByWhatItSays) {
    const std::string statusDatagram = EngineReply("rcon-status.bin");
    const auto status = RconReplyText(statusDatagram);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->substr(0, 15), "map: aggressor\n");
    EXPECT_FALSE(IsRefusalReply(*status));
    const std::string badDatagram = EngineReply("rcon-bad-password.bin");
    const auto bad = RconReplyText(badDatagram);
    ASSERT_TRUE(bad);
    EXPECT_TRUE(IsRefusalReply(*bad));
    for (const char* wording : {"Bad rcon password.\n", "Bad rconpassword.", "bad RCON password", "Invalid password.\n",
                                "Bad remote console password", "No rconpassword set on the server.\n",
                                "\nNo rconpassword set on the server.\n"})
        EXPECT_TRUE(IsRefusalReply(wording)) << wording;
    for (const char* other :
         {"Bad command", "rcon_password \"x\"", "password bad", "g_password \"\"\nBad rconpassword.",
          "Invalid password. Try again? no: map_restart done"})
        EXPECT_FALSE(IsRefusalReply(other)) << other;
    for (const std::string& notReply :
         {EngineReply("getstatus.bin"), "\xff\xff\xff\xffprin\nx"s, "print\nx"s, "\xff\xff\xff\xffprintx"s})
        EXPECT_FALSE(RconReplyText(notReply)) << notReply;
}

TEST(RconTest, AnAnswerSplitOverTenDatagramsComesBackWhole) {
    const FakeUdpServer server([](const std::string&, std::size_t) { return CvarlistDatagrams(); });
    const RconAnswer answer = SendRcon("127.0.0.1", server.Port(), "secret", "cvarlist");
    ASSERT_TRUE(answer.reply) << answer.error;
    const std::string& reply = *answer.reply;
    EXPECT_EQ(reply.rfind("          session2 \"0 0 1 0 0 0 0\"\n", 0), 0u);
    EXPECT_NE(reply.find("\n          g_cubeTimeout \"30\"\n"), std::string::npos) << "a line cut between datagrams";
    EXPECT_EQ(reply.substr(reply.size() - 34), "\n283 total cvars\n283 cvar indexes\n");
    EXPECT_EQ(std::count(reply.begin(), reply.end(), '\n'), 286);
    EXPECT_EQ(server.Received(), std::vector<std::string>{"\xff\xff\xff\xffrcon secret cvarlist"});
}

TEST(RconTest, ARefusalGivesTheServersWordsAndNoReply) {
    const FakeUdpServer server(EngineReply("rcon-bad-password.bin"));
    const RconAnswer answer = SendRcon("127.0.0.1", server.Port(), "wrong", "status");
    EXPECT_FALSE(answer.reply);
    EXPECT_EQ(answer.error, "Bad rconpassword.");
    for (const std::string words :
         {"Invalid password.", "Bad remote console password", "No rconpassword set on the server."}) {
        const FakeUdpServer refusing("\xff\xff\xff\xffprint\n" + words + "\n");
        const RconAnswer refused = SendRcon("127.0.0.1", refusing.Port(), "secret", "status");
        EXPECT_FALSE(refused.reply) << words;
        EXPECT_EQ(refused.error, words);
    }
}

// A clock on which every reading comes 100 ms after the one before, and a wait for a datagram is a real one: a
// stream of datagrams that are all there at once reads as one that goes on, a datagram every 100 ms or so.
class CrawlingClock : public UdpClock {
public:
    std::chrono::steady_clock::time_point Now() const override {
        const std::lock_guard lock(mutex_);
        return now_ += 100ms;
    }

private:
    mutable std::mutex mutex_;
    mutable std::chrono::steady_clock::time_point now_{};
};

TEST(RconTest, AServerThatNeverStopsSendingIsCutOffAtTheLongestReply) {
    const FakeUdpServer server(
        [](const std::string&, std::size_t) { return std::vector<std::string>(200, "\xff\xff\xff\xffprint\nmore\n"); });
    const CrawlingClock clock;
    const RconAnswer answer = SendRcon("127.0.0.1", server.Port(), "secret", "status", &clock);
    ASSERT_TRUE(answer.reply) << answer.error;
    const auto lines = std::count(answer.reply->begin(), answer.reply->end(), '\n');
    EXPECT_GT(lines, 0);
    // Two seconds of 100 ms readings hold far fewer than the 200 datagrams that a reply without end would take.
    EXPECT_LE(lines, RconLongest / 100ms + 1);
}

TEST(RconTest, ASilentServerIsAskedOnceAndGivenUpAfterASecond) {
    const FakeUdpServer server([](const std::string&, std::size_t) {
        return std::vector<std::string>{EngineReply("getstatus.bin")}; // not an answer to a command
    });
    const StepClock clock;
    const RconAnswer answer = SendRcon("127.0.0.1", server.Port(), "secret", "map_restart", &clock);
    EXPECT_FALSE(answer.reply);
    EXPECT_EQ(answer.error, "No answer from 127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(clock.Waits(), std::vector<std::chrono::milliseconds>{1000ms});
    EXPECT_EQ(server.ReceivedBeforeNow().size(), 1u);
}

} // namespace
