#include "server/ServerStart.h"

#include "platform/Process.h"
#include "server/ServerFiles.h"
#include "server/ServerStop.h"
#include "support/FakeServer.h"
#include "support/TestFolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string Parameters = "+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg";
const std::string RecordedArguments =
    "+set\ndedicated\n2\n+set\nfs_game\nBriselaMOD_v2\n+exec\nadvanced.cfg\n+exec\nstandard.cfg\n";

class ServerStartTest : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(ModPath()); }
    void TearDown() override { unsetenv("QUENDRY_EXE_RUNNER"); }

    std::string Game() const { return folder_.File("game"); }
    std::string ModPath() const { return folder_.File("game/BriselaMOD_v2"); }
    std::string Record() const { return folder_.File("record"); }
    ServerLaunch Launch(const std::string& executable) const { return {executable, Parameters, ModPath()}; }

    TestFolder folder_;
    std::vector<std::string> log_;
    LogSink log = [this](const std::string& line) { log_.push_back(line); };
};

TEST_F(ServerStartTest, AServerThatEndsAtOnceIsReportedWithTheOutputOfThisStart) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "loading\nbad map\n", 1);
    folder_.Write("game/BriselaMOD_v2/server.log", "an earlier start\n");
    StartResult started = StartServer(Launch(server), ServerOutput::LogFile);
    ASSERT_EQ(started.code, ShellOpenStarted);
    ASSERT_TRUE(started.server);
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + RecordedArguments);

    EXPECT_FALSE(CheckServerStart(*started.server, 5s, log));
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.front(), "Server stopped at start (exit code 1)");
    // Standard output and error both go to server.log, in no fixed order between the two.
    EXPECT_EQ(std::multiset<std::string>(log_.begin() + 1, log_.end()),
              (std::multiset<std::string>{"server.log : loading", "server.log : bad map", "server.log : to stderr"}));
    EXPECT_TRUE(folder_.Read("game/BriselaMOD_v2/server.log").starts_with("an earlier start\n"));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
}

TEST_F(ServerStartTest, ARunningServerIsRecordedCheckedAndStopped) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "up\n", std::nullopt);
    StartResult started = StartServer(Launch(server), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    const pid_t id = started.server->process.Id();
    EXPECT_EQ(ReadServerRecord(ModPath()), (ServerRecord{id, server, Parameters}));

    EXPECT_TRUE(CheckServerStart(*started.server, 300ms, log));
    EXPECT_EQ(log_, std::vector<std::string>{"Server running after 0.3 s (process " + std::to_string(id) + ")"});
    // The server runs in a session of its own, so a terminal's signals do not reach it.
    EXPECT_EQ(::getsid(id), id);

    EXPECT_EQ(started.server->process.Stop(5s), ProcessHandle::Ending::Terminated);
    EXPECT_EQ(started.server->process.Reap(), FakeServerTermExit);
    EXPECT_FALSE(ProcessRuns(id));
}

TEST_F(ServerStartTest, AServerThatIgnoresSigtermIsKilledAfterTheGracePeriod) {
    const std::string server = folder_.Write("game/cod_lnxded", "#!/bin/sh\ntrap '' TERM\necho up > \"" + Record() +
                                                                    "\"\nwhile :; do sleep 0.05; done\n");
    fs::permissions(server, fs::perms::owner_all);
    StartResult started = StartServer(Launch(server), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    WaitForFile(Record());
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(started.server->process.Stop(400ms), ProcessHandle::Ending::Killed);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 400ms);
    EXPECT_EQ(started.server->process.Reap(), 128 + SIGKILL);
}

TEST_F(ServerStartTest, AMissingServerOrRunnerStartsNothing) {
    EXPECT_EQ(StartServer(Launch(folder_.File("game/CoDMP.exe")), ServerOutput::LogFile).code, ShellOpenFileNotFound);
    folder_.Write("game/CoDMP.exe", "");
    setenv("QUENDRY_EXE_RUNNER", "no-such-runner-anywhere", 1);
    const StartResult result = StartServer(Launch(folder_.File("game/CoDMP.exe")), ServerOutput::LogFile);
    EXPECT_EQ(result.code, ShellOpenNoProgram);
    EXPECT_FALSE(result.server);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
}

TEST_F(ServerStartTest, TheWindowsServerStartsThroughTheRunnerInTheGameFolder) {
    const std::string runner = WriteFakeServer(folder_.File("runner"), Record(), "", std::nullopt);
    setenv("QUENDRY_EXE_RUNNER", runner.c_str(), 1);
    const std::string server = folder_.Write("game/CoDMP.exe", "");
    StartResult started = StartServer(Launch(server), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + server + "\n" + RecordedArguments);
    // The recorded server is recognised by its command line and stopped.
    const StopReport report = StopRecordedServer(ModPath(), 5s);
    EXPECT_EQ(report.outcome, StopOutcome::Stopped);
    EXPECT_EQ(report.processId, started.server->process.Id());
    EXPECT_EQ(started.server->process.Reap(), FakeServerTermExit);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
}

TEST_F(ServerStartTest, StopSendsNothingToAProcessThatIsNotTheServer) {
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    const auto id = static_cast<pid_t>(other.processId());
    WriteServerRecord(ModPath(), {id, folder_.File("game/cod_lnxded"), Parameters});

    const StopReport report = StopRecordedServer(ModPath(), 5s);
    EXPECT_EQ(report.outcome, StopOutcome::Refused);
    ASSERT_EQ(report.commandLine.size(), 2u);
    EXPECT_TRUE(report.commandLine[0].ends_with("sleep"));
    EXPECT_TRUE(ProcessRuns(id));
    EXPECT_TRUE(fs::exists(ServerPidFile(ModPath())));

    other.kill();
    other.waitForFinished();
    EXPECT_EQ(StopRecordedServer(ModPath(), 5s).outcome, StopOutcome::Ended);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
    EXPECT_EQ(StopRecordedServer(ModPath(), 5s).outcome, StopOutcome::NoRecord);
}

} // namespace
