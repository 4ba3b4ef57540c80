// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/ServerTarget.h"

#include "support/FakeUdpServer.h"
#include "support/PromtoolCheck.h"
#include "support/TestFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <sstream>

namespace {

// What the recorded reply prints as: the four values, then score, ping and name of each player.
const std::string HarborReport = "Host name : Brisela Server\n"
                                 "Map : mp_harbor\n"
                                 "Gametype : sd\n"
                                 "Players : 3 / 20\n"
                                 " Score   Ping  Name\n"
                                 "    12     48  Tom \"The Gun\"\n"
                                 "    -3      0  SniperBob\n"
                                 "     0    999  Caf\u00e9\n";

struct Output {
    int code;
    std::string out, err;
};

Output Status(std::vector<std::string> args) {
    args.insert(args.begin(), "status");
    std::ostringstream out, err;
    const int code = RunCommandLine(args, out, err);
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

TEST(StatusCommandTest, TheEnginesReplyShowsTheLimitThePasswordAndTheNamesAsTheEngineShowsThem) {
    const FakeUdpServer server(EngineReply("getstatus.bin"));
    const Output result = Status({"--port", std::to_string(server.Port())});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "Host name : Red Server ^7\n"
                          "Map : aggressor\n"
                          "Gametype : 0\n"
                          "Players : 3 / 8\n"
                          "Password : needed\n"
                          " Score   Ping  Name\n"
                          "     0      0  Green\n"
                          "     0      0  O'Neil\n"
                          "     0      0  ^7caret\n");
}

TEST(StatusCommandTest, JsonHoldsEveryFieldForScripts) {
    const FakeUdpServer server(EngineReply("getstatus.bin"));
    const Output result = Status({"--json", "--port", std::to_string(server.Port())});
    EXPECT_EQ(result.code, 0) << result.err;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out;
    const QJsonObject status = document.object();
    EXPECT_EQ(status[QStringLiteral("address")].toString().toStdString(), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(status[QStringLiteral("hostName")].toString(), QStringLiteral("Red Server ^7"));
    EXPECT_EQ(status[QStringLiteral("hostNameRaw")].toString(), QStringLiteral("^1Red^7 Server ^^77"));
    EXPECT_EQ(status[QStringLiteral("map")].toString(), QStringLiteral("aggressor"));
    EXPECT_EQ(status[QStringLiteral("gametype")].toString(), QStringLiteral("0"));
    EXPECT_EQ(status[QStringLiteral("playerLimit")].toInt(-1), 8);
    EXPECT_EQ(status[QStringLiteral("needsPassword")], QJsonValue(true));
    EXPECT_TRUE(status[QStringLiteral("roundTripMs")].isDouble());
    EXPECT_GE(status[QStringLiteral("roundTripMs")].toInt(-1), 0);
    const QJsonArray players = status[QStringLiteral("players")].toArray();
    ASSERT_EQ(players.size(), 3);
    EXPECT_EQ(players[2].toObject(), (QJsonObject{{QStringLiteral("name"), QStringLiteral("^7caret")},
                                                  {QStringLiteral("score"), 0},
                                                  {QStringLiteral("ping"), 0}}));

    // A value the server does not give is null.
    const FakeUdpServer codServer(RecordedStatusReply());
    const Output cod = Status({"--json", "--port", std::to_string(codServer.Port())});
    const QJsonObject codStatus = QJsonDocument::fromJson(QByteArray::fromStdString(cod.out)).object();
    EXPECT_TRUE(codStatus[QStringLiteral("needsPassword")].isNull()) << cod.out;
    EXPECT_EQ(codStatus[QStringLiteral("players")].toArray()[0].toObject()[QStringLiteral("score")].toInt(), 12);

    // Names in UTF-8 stay UTF-8 in the JSON: "Zoë" and "€", not the Latin-1 reading of their bytes.
    const FakeUdpServer utf8Server("\xff\xff\xff\xffstatusResponse\n\\sv_hostname\\Caf\xc3\xa9\n"
                                   "1 2 \"Zo\xc3\xab\"\n3 4 \"\xe2\x82\xac\"\n");
    const Output utf8 = Status({"--json", "--port", std::to_string(utf8Server.Port())});
    const QJsonObject utf8Status = QJsonDocument::fromJson(QByteArray::fromStdString(utf8.out)).object();
    EXPECT_EQ(utf8Status[QStringLiteral("hostName")].toString(), QStringLiteral("Caf\u00e9"));
    const QJsonArray utf8Players = utf8Status[QStringLiteral("players")].toArray();
    ASSERT_EQ(utf8Players.size(), 2) << utf8.out;
    EXPECT_EQ(utf8Players[0].toObject()[QStringLiteral("name")].toString(), QStringLiteral("Zo\u00eb"));
    EXPECT_EQ(utf8Players[1].toObject()[QStringLiteral("name")].toString(), QStringLiteral("\u20ac"));
}

TEST(StatusCommandTest, PrometheusMetricsTellWhetherTheServerAnswersAndItsPlayers) {
    const FakeUdpServer server(RecordedStatusReply());
    const std::string address = "{address=\"127.0.0.1:" + std::to_string(server.Port()) + "\"}";
    const Output answering = Status({"--prometheus", "--port", std::to_string(server.Port())});
    EXPECT_EQ(answering.code, 0) << answering.err;
    ExpectValidMetrics(answering.out);
    const auto samples = MetricSamples(answering.out);
    EXPECT_EQ(samples.at("quendry_up" + address), 1) << answering.out;
    EXPECT_EQ(samples.at("quendry_players" + address), 3) << answering.out;
    EXPECT_EQ(samples.at("quendry_player_limit" + address), 20) << answering.out;
    EXPECT_EQ(samples.at("quendry_server_info{address=\"127.0.0.1:" + std::to_string(server.Port()) +
                         "\",map=\"mp_harbor\",gametype=\"sd\",host_name=\"Brisela Server\"}"),
              1)
        << answering.out;

    // Nobody answers: the metrics say so, and the exit status too.
    const FakeUdpServer silent(std::nullopt);
    const Output unanswered = Status({"--prometheus", "--port", std::to_string(silent.Port())});
    EXPECT_EQ(unanswered.code, 1);
    ExpectValidMetrics(unanswered.out);
    EXPECT_EQ(MetricSamples(unanswered.out),
              (std::map<std::string, double>{
                  {"quendry_up{address=\"127.0.0.1:" + std::to_string(silent.Port()) + "\"}", 0}}));
    EXPECT_EQ(Status({"--prometheus", "--json"}).code, 2);
}

TEST(StatusCommandTest, NamesThatWouldRewriteTheTerminalArePrintedHarmless) {
    const std::string reply = "\xff\xff\xff\xffstatusResponse\n\\sv_hostname\\Evil\x1b]0;owned\x07\xe2\x80\xae"
                              "gnp.exe\n"
                              "1 2 \"line\xe2\x80\xa8"
                              "forged\x1b[2J\"\n";
    const FakeUdpServer server(reply);
    const Output result = Status({"--port", std::to_string(server.Port())});
    EXPECT_EQ(result.out, "Host name : Evil]0;ownedgnp.exe\nMap : \nGametype : \nPlayers : 1\n"
                          " Score   Ping  Name\n     1      2  lineforged[2J\n");
}

TEST(StatusCommandTest, TheGameFolderGivesThePortItsServerWasStartedWith) {
    const FakeUdpServer server(RecordedStatusReply());
    TestFolder folder;
    folder.Write("game/BriselaMOD_v2/advanced.cfg",
                 "seta g_allowvote \"1\"\r\nset net_port " + std::to_string(server.Port()) + "\r\n");
    const Output result = Status({"--game", folder.File("game")});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, HarborReport);
}

TEST(StatusCommandTest, WithoutOptionsTheServerIsPort28960OfThisMachine) {
    const std::vector<CommandOption> options = {{{"host"}, {}, "H"}, {{"port"}, {}, "P"}, {{"game"}, {}, "DIR"}};
    const ServerTarget target = ServerTargetOf(CommandArguments::Parse(options, {}, false));
    EXPECT_EQ(target.host, "127.0.0.1");
    EXPECT_EQ(target.port, 28960);
    EXPECT_EQ(ServerTargetOf(CommandArguments::Parse(options, {"--host", "cod.example"}, false)).port, 28960);
}

TEST(StatusCommandTest, NobodyAnsweringGivesExitCode1AfterThreeQueries) {
    const FakeUdpServer silent(std::nullopt);
    const Output result = Status({"--host", "127.0.0.1", "--port", std::to_string(silent.Port())});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quendry status: No answer from 127.0.0.1:" + std::to_string(silent.Port()) + "\n");
    EXPECT_EQ(silent.ReceivedBeforeNow().size(), 3u);
}

TEST(StatusCommandTest, UsageErrorsGiveExitCode2AndAskNobody) {
    TestFolder folder;
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--port"}, "Missing value after '--port'."},
        {{"--port", "0"}, "the port must be a whole number from 1 to 65535, not '0'"},
        {{"--port", "65536"}, "the port must be a whole number from 1 to 65535, not '65536'"},
        {{"--port", "28960x"}, "the port must be a whole number from 1 to 65535, not '28960x'"},
        {{"--port", "-1"}, "the port must be a whole number from 1 to 65535, not '-1'"},
        {{"--host"}, "Missing value after '--host'."},
        {{"--host", ""}, "the host name is empty"},
        {{"--game", folder.File("none")}, "game folder " + folder.File("none") + ": No such file or directory"},
        {{"--game", folder.Path(), "--port", "28961"}, "--port and --game name the port twice: give one of them"},
        {{"--colour"}, "Unknown option 'colour'."},
        {{"--host", "h", "extra"}, "unexpected argument 'extra'"},
        {{"--game", folder.Path(), "--all", "--json"},
         "--all lists the instances of a game folder: it takes --game DIR (and --prometheus) and no other option"},
    };
    for (const auto& [args, message] : wrong) {
        const Output result = Status(args);
        EXPECT_EQ(result.code, 2) << message;
        EXPECT_EQ(result.out, "") << message;
        EXPECT_EQ(result.err.rfind("quendry status: " + message + "\nUsage: quendry status ", 0), 0u) << result.err;
    }
}

TEST(StatusCommandTest, TheProgramRunsTheCommand) {
    const FakeUdpServer server(RecordedStatusReply());
    QProcess program;
    program.start(QStringLiteral(QUENDRY_EXECUTABLE),
                  {QStringLiteral("status"), QStringLiteral("--port"), QString::number(server.Port())});
    ASSERT_TRUE(program.waitForFinished(-1));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(), HarborReport);
}

} // namespace
