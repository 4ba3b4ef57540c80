// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StatusQuery.h"

#include "support/FakeUdpServer.h"
#include "support/StepClock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

TEST(StatusQueryTest, AnAnsweringServerGetsTheQueryAndItsStatusComesBack) {
    const FakeUdpServer server(RecordedStatusReply());
    for (const char* host : {"127.0.0.1", "localhost"}) {
        const StatusAnswer answer = QueryServerStatus(host, server.Port());
        ASSERT_TRUE(answer.status) << host << ": " << answer.error;
        EXPECT_EQ(answer.status->map, "mp_harbor");
        EXPECT_EQ(answer.status->players.size(), 3u);
    }
    EXPECT_EQ(server.Received(), std::vector<std::string>(2, "\xff\xff\xff\xffgetstatus"));
}

TEST(StatusQueryTest, AServerThatDropsTheFirstTwoQueriesIsAnsweredByTheThird) {
    const FakeUdpServer server([](const std::string&, std::size_t index) {
        return index < 2 ? std::vector<std::string>{} : std::vector<std::string>{RecordedStatusReply()};
    });
    const StatusAnswer answer = QueryServerStatus("127.0.0.1", server.Port());
    ASSERT_TRUE(answer.status) << answer.error;
    EXPECT_EQ(answer.status->map, "mp_harbor");
    EXPECT_EQ(server.Received(), std::vector<std::string>(3, "\xff\xff\xff\xffgetstatus"));
}

TEST(StatusQueryTest, ASilentServerIsAskedThreeTimesWithinTheTimeoutAndThenGivenUp) {
    const FakeUdpServer server(std::nullopt);
    const StepClock clock;
    const StatusAnswer answer = QueryServerStatus("127.0.0.1", server.Port(), StatusTimeout, &clock);
    EXPECT_FALSE(answer.status);
    EXPECT_EQ(answer.error, "No answer from 127.0.0.1:" + std::to_string(server.Port()));
    // The queries go at 0, 300 and 600 ms, and the wait ends at the second.
    EXPECT_EQ(clock.Waits(), (std::vector<std::chrono::milliseconds>{300ms, 300ms, 400ms}));
    EXPECT_EQ(server.ReceivedBeforeNow(), std::vector<std::string>(3, "\xff\xff\xff\xffgetstatus"));

    const StepClock shortClock;
    EXPECT_FALSE(QueryServerStatus("127.0.0.1", server.Port(), 200ms, &shortClock).status);
    EXPECT_EQ(shortClock.Waits(), std::vector<std::chrono::milliseconds>{200ms});
}

TEST(StatusQueryTest, DatagramsThatAreNotAStatusReplyAreIgnoredUntilTheReplyComes) {
    const FakeUdpServer server([](const std::string&, std::size_t) {
        return std::vector<std::string>{EngineReply("getinfo.bin"), "\xff\xff\xff\xffprint\nhello\n",
                                        "\xff\xff\xff\xffstatusResponses\n", RecordedStatusReply()};
    });
    const StatusAnswer answer = QueryServerStatus("127.0.0.1", server.Port());
    ASSERT_TRUE(answer.status) << answer.error;
    EXPECT_EQ(answer.status->hostName, "Brisela Server");
}

TEST(StatusQueryTest, AClosedPortAnUnknownHostAndAStrangeAnswerSayWhy) {
    int closedPort = 0;
    {
        const FakeUdpServer gone(std::nullopt);
        closedPort = gone.Port();
    }
    const StepClock clock;
    EXPECT_EQ(QueryServerStatus("127.0.0.1", closedPort, StatusTimeout, &clock).error,
              "No answer from 127.0.0.1:" + std::to_string(closedPort) + " (Connection refused)");
    EXPECT_LT(clock.Waits().size(), 3u) << "the refusal is not waited out";

    EXPECT_EQ(QueryServerStatus("no-such-host.invalid", 28960).error.rfind("Unknown host no-such-host.invalid (", 0),
              0u);

    const FakeUdpServer strange("\xff\xff\xff\xffinfoResponse\n\\mapname\\mp_x\n");
    EXPECT_EQ(QueryServerStatus("127.0.0.1", strange.Port()).error,
              "The answer from 127.0.0.1:" + std::to_string(strange.Port()) + " is not a status reply");

    // A reply split in two: the first datagram alone would read as a server without map, gametype or players.
    for (const std::string& first :
         {"\xff\xff\xff\xffstatusResponse\n"s, "\xff\xff\xff\xffstatusResponse\n\\sv_hostname\\Split\\mapna"s}) {
        const FakeUdpServer split([&first](const std::string&, std::size_t) {
            return std::vector<std::string>{first, "me\\mp_harbor\\g_gametype\\sd\n0 5 \"Ann\"\n"};
        });
        const StatusAnswer answer = QueryServerStatus("127.0.0.1", split.Port());
        EXPECT_FALSE(answer.status) << first;
        EXPECT_EQ(answer.error, "The answer from 127.0.0.1:" + std::to_string(split.Port()) +
                                    " is incomplete: it ends before its settings line does");
    }
}

} // namespace
