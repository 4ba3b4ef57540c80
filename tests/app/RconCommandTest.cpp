// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RconCommand.h"
#include "app/CommandLine.h"

#include "platform/Paths.h"
#include "server/ServerFiles.h"
#include "settings/SettingsLocation.h"
#include "support/FakeUdpServer.h"
#include "support/TestFolder.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

using namespace std::string_literals;

struct Output {
    int code;
    std::string out, err;
};

// The ten datagrams of one long answer, as the engine sent them.
std::vector<std::string> CvarlistDatagrams() {
    std::vector<std::string> datagrams;
    for (int i = 0; i < 10; ++i)
        datagrams.push_back(EngineReply("rcon-cvarlist." + std::to_string(i) + ".bin"));
    return datagrams;
}

// A server whose remote console takes the password "secret": it answers "cvarlist" with the engine's ten
// datagrams, "status" with the engine's status, and anything else with an echo of the command.
FakeUdpServer::Responder Console() {
    return [](const std::string& request, std::size_t) {
        const std::string prefix = "\xff\xff\xff\xffrcon secret ";
        if (request.rfind(prefix, 0) != 0)
            return std::vector<std::string>{EngineReply("rcon-bad-password.bin")};
        const std::string command = request.substr(prefix.size());
        if (command == "cvarlist")
            return CvarlistDatagrams();
        if (command == "status")
            return std::vector<std::string>{EngineReply("rcon-status.bin")};
        return std::vector<std::string>{"\xff\xff\xff\xffprint\n" + command + "\n"};
    };
}

// `quendry rcon` with the advanced lines `lines` in a settings file of its own, and no password in the environment.
class RconCommandTest : public testing::Test {
protected:
    void SetUp() override { ::unsetenv(RconPasswordVariable); }
    void TearDown() override { ::unsetenv(RconPasswordVariable); }

    std::string Settings(const std::string& lines) const {
        return folder_.Write("settings.ini",
                             "[MainForm]\r\nEditPath=\r\n[MainFormListBoxCfg]\r\n" + lines + "ItemIndex=-1\r\n");
    }

    Output Rcon(const std::vector<std::string>& words, const std::string& lines = "L0=set rcon_password secret\r\n") {
        std::vector<std::string> args = {"rcon", "--settings", Settings(lines), "--port",
                                         std::to_string(server_.Port())};
        args.insert(args.end(), words.begin(), words.end());
        std::ostringstream out, err;
        const int code = RunCommandLine(args, out, err);
        return {code, out.str(), err.str()};
    }

    TestFolder folder_;
    FakeUdpServer server_{Console()};
};

TEST_F(RconCommandTest, TheRightPasswordPrintsAReplyOfTenDatagramsWhole) {
    const Output result = Rcon({"cvarlist"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 286);
    EXPECT_EQ(result.out.rfind("          session2 \"0 0 1 0 0 0 0\"\n", 0), 0u);
    EXPECT_NE(result.out.find("\n          g_cubeTimeout \"30\"\n"), std::string::npos);
    EXPECT_EQ(result.out.substr(result.out.size() - 33), "283 total cvars\n283 cvar indexes\n");
    EXPECT_EQ(server_.Received(), std::vector<std::string>{"\xff\xff\xff\xffrcon secret cvarlist"});
}

TEST_F(RconCommandTest, ColourCodesAreRemovedUnlessRaw) {
    const Output clean = Rcon({"status"});
    EXPECT_NE(clean.out.find("\n 0     0    0 Green           bot "), std::string::npos) << clean.out;
    EXPECT_NE(clean.out.find("\n 2     0    0 ^7caret         bot "), std::string::npos) << clean.out;
    const Output raw = Rcon({"--raw", "status"});
    EXPECT_NE(raw.out.find("\n 0     0    0 ^2Gr^3een           ^7bot "), std::string::npos) << raw.out;
}

TEST_F(RconCommandTest, EveryWordAfterTheCommandPassesAsItIs) {
    EXPECT_EQ(Rcon({"g_gravity", "-800"}).out, "g_gravity -800\n");
    EXPECT_EQ(Rcon({"say", "--raw", "-h", "--", "hi"}).out, "say --raw -h -- hi\n");
    EXPECT_EQ(Rcon({"--", "-x"}).out, "-x\n");
    // The engine's console splits at blanks: a word that holds some goes in quotes, so that it stays one.
    EXPECT_EQ(Rcon({"say", "server restarts in 5 minutes"}).out, "say \"server restarts in 5 minutes\"\n");
    Rcon({"g_motd", "tab\there", "x"});
    EXPECT_EQ(server_.ReceivedBeforeNow().back(), "\xff\xff\xff\xffrcon secret g_motd \"tab\there\" x");
    // A whole command given as one word goes as it is.
    EXPECT_EQ(Rcon({"say hello"}).out, "say hello\n");
}

TEST_F(RconCommandTest, TheRawReplyKeepsColourCodesButNothingThatWouldRewriteTheTerminal) {
    const Output raw = Rcon({"--raw", "^1red\x1b]0;owned\x07\xe2\x80\xae" "eno"});
    EXPECT_EQ(raw.code, 0) << raw.err;
    EXPECT_EQ(raw.out, "^1red]0;ownedeno\n");
}

TEST_F(RconCommandTest, AWrongPasswordGivesExitCode1AndTheServersWords) {
    const Output result = Rcon({"status"}, "L0=set rcon_password wrong\r\n");
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quendry rcon: Bad rconpassword.\n");
}

TEST_F(RconCommandTest, ThePasswordComesFromTheEnvironmentOrTheAdvancedLinesAndWithoutOneNothingIsSent) {
    ::setenv(RconPasswordVariable, "secret", 1);
    EXPECT_EQ(Rcon({"map_restart"}, "L0=set rcon_password wrong\r\n").out, "map_restart\n");
    // Set but empty, as an unfilled line of a service's environment file leaves it: the advanced lines' password.
    ::setenv(RconPasswordVariable, "", 1);
    EXPECT_EQ(Rcon({"map_restart"}).out, "map_restart\n");
    ::unsetenv(RconPasswordVariable);
    EXPECT_EQ(Rcon({"map_restart"}, "L0=seta rcon_password \"secret\"\r\n").out, "map_restart\n");

    const std::size_t sent = server_.ReceivedBeforeNow().size();
    for (const std::string& lines : {""s, "L0=set rcon_password \"\"\r\n"s}) {
        const Output result = Rcon({"status"}, lines);
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err, "quendry rcon: no remote-console password is set: add 'set rcon_password ...' to the "
                              "advanced lines or set QUENDRY_RCON_PASSWORD\n");
    }
    EXPECT_EQ(server_.ReceivedBeforeNow().size(), sent);
}

TEST_F(RconCommandTest, AnInstanceTakesThePasswordOfItsOwnLastState) {
    SetProgramFolderOverride(folder_.Path());
    folder_.Write(LastStateFile(*Instance::Named("clan")).toStdString(),
                  "[MainFormListBoxCfg]\r\nL0=set rcon_password secret\r\nItemIndex=-1\r\n");
    const auto rcon = [this](std::vector<std::string> args) {
        args.insert(args.end(), {"--port", std::to_string(server_.Port()), "map_restart"});
        std::ostringstream out, err;
        const int code = RunCommandLine(args, out, err);
        return Output{code, out.str(), err.str()};
    };
    const Output clan = rcon({"rcon", "--instance", "clan"});
    EXPECT_EQ(clan.code, 0) << clan.err;
    EXPECT_EQ(clan.out, "map_restart\n");
    // The plain last state sets none.
    EXPECT_EQ(rcon({"rcon"}).code, 1);
    SetProgramFolderOverride(std::nullopt);
}

TEST_F(RconCommandTest, NobodyAnsweringAndUsageErrorsHaveTheirExitCodes) {
    int closedPort = 0;
    {
        const FakeUdpServer gone(std::nullopt);
        closedPort = gone.Port();
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine({"rcon", "--settings", Settings("L0=set rcon_password secret\r\n"), "--port",
                              std::to_string(closedPort), "status"},
                             out, err),
              1);
    EXPECT_EQ(err.str(),
              "quendry rcon: No answer from 127.0.0.1:" + std::to_string(closedPort) + " (Connection refused)\n");

    const std::string missing = folder_.File("missing.ini");
    std::ostringstream missingOut, missingErr;
    EXPECT_EQ(RunCommandLine({"rcon", "--settings", missing, "status"}, missingOut, missingErr), 2);
    EXPECT_EQ(missingErr.str(), "quendry rcon: settings file " + missing + ": No such file or directory\n");

    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"rcon"}, "expects COMMAND..."},
        {{"rcon", "--password", "secret", "status"}, "Unknown option 'password'."},
        {{"rcon", "--port", "0", "status"}, "the port must be a whole number from 1 to 65535, not '0'"},
    };
    for (const auto& [args, message] : wrong) {
        std::ostringstream wrongOut, wrongErr;
        EXPECT_EQ(RunCommandLine(args, wrongOut, wrongErr), 2) << message;
        EXPECT_EQ(wrongErr.str().rfind("quendry rcon: " + message + "\nUsage: quendry rcon ", 0), 0u) << wrongErr.str();
    }
}

// The command line of process `id` as every user of the machine can read it, its words joined by blanks.
std::string CommandLineOf(qint64 id) {
    std::ifstream file("/proc/" + std::to_string(id) + "/cmdline", std::ios::binary);
    std::string words{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::replace(words.begin(), words.end(), '\0', ' ');
    return words;
}

TEST_F(RconCommandTest, ThePasswordNeverAppearsOnTheProgramsCommandLine) {
    std::atomic<qint64> processId{0};
    std::string commandLine;
    // The server reads the command line of the program while the program waits for its answer.
    const FakeUdpServer server([&](const std::string& request, std::size_t index) {
        while (processId == 0)
            std::this_thread::yield();
        if (index == 0)
            commandLine = CommandLineOf(processId.load());
        return Console()(request, index);
    });
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QString::fromLatin1(RconPasswordVariable));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUENDRY_EXECUTABLE),
                  {QStringLiteral("rcon"), QStringLiteral("--settings"),
                   QString::fromStdString(Settings("L0=set rcon_password secret\r\n")), QStringLiteral("--port"),
                   QString::number(server.Port()), QStringLiteral("status")});
    ASSERT_TRUE(program.waitForStarted(-1));
    processId = program.processId();
    ASSERT_TRUE(program.waitForFinished(-1));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    ASSERT_EQ(server.Received().size(), 1u);
    EXPECT_NE(server.Received()[0].find("secret"), std::string::npos) << "the password was sent";
    ASSERT_NE(commandLine.find("rcon"), std::string::npos) << commandLine;
    EXPECT_EQ(commandLine.find("secret"), std::string::npos) << commandLine;
}

} // namespace
