#include "app/StatusCommand.h"

#include "support/FakeUdpServer.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

// What the recorded reply prints as: the four values, then score, ping and name of each player.
const std::string HarborReport = "Host name : Brisela Server\n"
                                 "Map : mp_harbor\n"
                                 "Gametype : sd\n"
                                 "Players : 3\n"
                                 " Score   Ping  Name\n"
                                 "    12     48  Tom \"The Gun\"\n"
                                 "    -3      0  SniperBob\n"
                                 "     0    999  Caf\u00e9\n";

struct Output {
    int code;
    std::string out, err;
};

Output Status(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = StatusCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(StatusCommandTest, PrintsTheStatusOfTheServerAtTheGivenHostAndPort) {
    const FakeUdpServer server(RecordedStatusReply());
    const std::string port = std::to_string(server.Port());
    for (const auto& args :
         {std::vector<std::string>{"--port", port}, std::vector<std::string>{"--host", "localhost", "--port", port}}) {
        const Output result = Status(args);
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(result.out, HarborReport);
        EXPECT_EQ(result.err, "");
    }
    EXPECT_EQ(server.Received(), std::vector<std::string>(2, "\xff\xff\xff\xffgetstatus"));
}

TEST(StatusCommandTest, WithoutOptionsAsksPort28960OfThisMachine) {
    std::unique_ptr<FakeUdpServer> server;
    try {
        server = std::make_unique<FakeUdpServer>(RecordedStatusReply(), 28960);
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "port 28960 is taken on this machine";
    }
    EXPECT_EQ(Status({}).out, HarborReport);
    EXPECT_EQ(server->Received().size(), 1u);
}

TEST(StatusCommandTest, NobodyAnsweringGivesExitCode1WithinASecondAndAHalf) {
    const FakeUdpServer silent(std::nullopt);
    const auto start = Clock::now();
    const Output result = Status({"--host", "127.0.0.1", "--port", std::to_string(silent.Port())});
    const auto waited = Clock::now() - start;
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quendry status: No answer from 127.0.0.1:" + std::to_string(silent.Port()) + "\n");
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    EXPECT_EQ(silent.Received().size(), 1u);
}

TEST(StatusCommandTest, UsageErrorsGiveExitCode2AndAskNobody) {
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--port"}, "unexpected argument '--port'"},
        {{"--port", "0"}, "the port must be a whole number from 1 to 65535, not '0'"},
        {{"--port", "65536"}, "the port must be a whole number from 1 to 65535, not '65536'"},
        {{"--port", "28960x"}, "the port must be a whole number from 1 to 65535, not '28960x'"},
        {{"--port", "-1"}, "the port must be a whole number from 1 to 65535, not '-1'"},
        {{"--host"}, "unexpected argument '--host'"},
        {{"--host", ""}, "the host name is empty"},
        {{"--game", "/tmp"}, "unexpected argument '--game'"},
        {{"--host", "h", "extra"}, "unexpected argument 'extra'"},
    };
    for (const auto& [args, message] : wrong) {
        const Output result = Status(args);
        EXPECT_EQ(result.code, 2) << message;
        EXPECT_EQ(result.out, "") << message;
        EXPECT_EQ(result.err.rfind("quendry status: " + message + "\n", 0), 0u) << result.err;
    }
    const Output help = Status({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: quendry status [--host H] [--port P]\n", 0), 0u);
}

TEST(StatusCommandTest, TheProgramRunsTheCommandAndListsItInItsHelp) {
    const FakeUdpServer server(RecordedStatusReply());
    QProcess program;
    program.start(QStringLiteral(QUENDRY_EXECUTABLE),
                  {QStringLiteral("status"), QStringLiteral("--port"), QString::number(server.Port())});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(), HarborReport);

    program.start(QStringLiteral(QUENDRY_EXECUTABLE), {QStringLiteral("--help")});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_NE(program.readAllStandardOutput().indexOf("  status [--host H] [--port P]\n"), -1);
}

} // namespace
