#include "server/StatusQuery.h"

#include "support/FakeUdpServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

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

TEST(StatusQueryTest, ASilentServerIsGivenUpAfterTheTimeout) {
    const FakeUdpServer server(std::nullopt);
    const auto start = Clock::now();
    const StatusAnswer answer = QueryServerStatus("127.0.0.1", server.Port());
    const auto waited = Clock::now() - start;
    EXPECT_FALSE(answer.status);
    EXPECT_EQ(answer.error, "No answer from 127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    EXPECT_EQ(server.Received().size(), 1u);

    const auto shortStart = Clock::now();
    EXPECT_FALSE(QueryServerStatus("127.0.0.1", server.Port(), std::chrono::milliseconds(200)).status);
    EXPECT_LT(Clock::now() - shortStart, std::chrono::milliseconds(700));
}

TEST(StatusQueryTest, AClosedPortAnUnknownHostAndAStrangeAnswerSayWhy) {
    int closedPort = 0;
    {
        const FakeUdpServer gone(std::nullopt);
        closedPort = gone.Port();
    }
    const auto start = Clock::now();
    EXPECT_EQ(QueryServerStatus("127.0.0.1", closedPort).error,
              "No answer from 127.0.0.1:" + std::to_string(closedPort) + " (Connection refused)");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900)) << "the refusal is not waited out";

    EXPECT_EQ(QueryServerStatus("no-such-host.invalid", 28960).error.rfind("Unknown host no-such-host.invalid (", 0),
              0u);

    const FakeUdpServer strange("\xff\xff\xff\xffinfoResponse\n\\mapname\\mp_x\n");
    EXPECT_EQ(QueryServerStatus("127.0.0.1", strange.Port()).error,
              "The answer from 127.0.0.1:" + std::to_string(strange.Port()) + " is not a status reply");
}

} // namespace
