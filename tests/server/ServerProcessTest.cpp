// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerProcess.h"

#include "platform/Process.h"
#include "server/ServerFiles.h"
#include "support/FakeServer.h"
#include "support/OwnProcesses.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <unistd.h>

#include <csignal>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The user id of "nobody" on Debian.
constexpr uid_t NobodyId = 65534;

class ServerProcessTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(ModPath());
        server_.SetPeriods(300ms, 2s);
    }
    void TearDown() override {
        if (server_.Running())
            server_.Stop();
    }

    std::string ModPath() const { return folder_.File("game/BriselaMOD_v2"); }
    std::string Record() const { return folder_.File("record"); }
    // Parameters of a dedicated server on a free port, or of none (`dedicated` 0), which answers no query.
    std::string Parameters(int dedicated) const {
        return "+set dedicated " + std::to_string(dedicated) + " +set fs_game BriselaMOD_v2 +set net_port " +
               std::to_string(port_) + " +exec advanced.cfg +exec standard.cfg";
    }
    ServerLaunch Launch(const std::string& executable, int dedicated) const {
        return {executable, Parameters(dedicated), ModPath()};
    }
    std::string Engine(const std::string& options, EngineWrapper wrapper) const {
        return WriteEngineScript(folder_.File("game/cod_lnxded"), options + " --record '" + Record() + "'", wrapper);
    }
    pid_t EnginePid() const {
        std::istringstream record(WaitForFile(Record()));
        long id = 0;
        record >> id;
        return static_cast<pid_t>(id);
    }
    std::string Running(qint64 id) const { return "Server running after 0.3 s (process " + std::to_string(id) + ")"; }
    bool Logged(const std::string& line) const { return std::find(log_.begin(), log_.end(), line) != log_.end(); }
    bool LoggedStarting(const std::string& begin) const {
        return std::any_of(log_.begin(), log_.end(), [&](const std::string& line) { return line.starts_with(begin); });
    }

    TestFolder folder_;
    int port_ = FreeUdpPort();
    std::vector<std::string> log_;
    TServerProcess server_{[this](const std::string& line) { log_.push_back(line); }, nullptr};
    QSignalSpy started_{&server_, &TServerProcess::Started};
    QSignalSpy ended_{&server_, &TServerProcess::Ended};
    QSignalSpy failed_{&server_, &TServerProcess::StartFailed};
    QSignalSpy answering_{&server_, &TServerProcess::Answering};
};

TEST_F(ServerProcessTest, AServerThatEndsDuringTheCheckIsReportedWithItsOutputAndSignalled) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "no map\n", 1);
    server_.SetPeriods(60s, 2s);
    EXPECT_FALSE(server_.CanRestart());
    EXPECT_EQ(server_.Start(Launch(server, 2)), ShellOpenStarted);
    EXPECT_EQ(started_.size(), 1);
    ASSERT_TRUE(ended_.wait(60000));
    EXPECT_EQ(ended_.front().front().toInt(), 1);
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.back(), "Server stopped at start (exit code 1)");
    EXPECT_TRUE(Logged("server.log : no map"));
    ASSERT_EQ(failed_.size(), 1);
    const QString message = failed_.front().front().toString();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Server stopped at start (exit code 1)\n\n")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("\nserver.log : no map"))) << message.toStdString();
    EXPECT_FALSE(server_.Running());
    EXPECT_TRUE(server_.CanRestart());
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerProcessTest, TheCheckRunsBesideTheEventLoopAndLogsTheFirstAnswer) {
    server_.SetPeriods(60s, 2s);
    server_.Start(Launch(Engine("", EngineWrapper::Exec), 2));
    ASSERT_EQ(started_.size(), 1);
    // The start returned before any line: what the check awaits comes after the caller's line of the launch, then
    // the check's answer through the event loop.
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(server_.Checking());
    EXPECT_EQ(server_.Address(), (StatusAddress{"127.0.0.1", port_}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_.size() == 2; }, 60000));
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_[0], "Waiting for the server to answer on 127.0.0.1:" + std::to_string(port_) + " \u2026");
    EXPECT_TRUE(log_[1].starts_with("Server answering on 127.0.0.1:" + std::to_string(port_) + " after ")) << log_[1];
    EXPECT_TRUE(log_[1].ends_with(" s (mp_harbor, dm)")) << log_[1];
    EXPECT_FALSE(server_.Checking());
    ASSERT_EQ(answering_.size(), 1);
    EXPECT_EQ(answering_.front().front().toString(),
              QStringLiteral("Server status : Stand-in, mp_harbor, dm, 1 player"));
    EXPECT_TRUE(failed_.isEmpty());
}

TEST_F(ServerProcessTest, AnEngineThatItsStartScriptPutInTheBackgroundIsHeldAnsweredAndStopped) {
    server_.SetPeriods(60s, 2s);
    server_.Start(Launch(Engine("", EngineWrapper::Background), 2));
    const pid_t engine = EnginePid();
    EXPECT_TRUE(QTest::qWaitFor([&] { return answering_.size() == 1; }, 60000));
    EXPECT_TRUE(Logged("The start script ended; its server runs on as process " + std::to_string(engine)));
    EXPECT_TRUE(failed_.isEmpty());
    EXPECT_TRUE(ended_.isEmpty());
    EXPECT_TRUE(server_.Running());
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance())->processId, engine);
    server_.Stop();
    EXPECT_FALSE(server_.Running());
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerProcessTest, AServerThatNeverAnswersIsReportedAndKeepsRunning) {
    server_.SetPeriods(1s, 2s);
    server_.Start(Launch(Engine("--never-answer", EngineWrapper::Exec), 2));
    ASSERT_TRUE(failed_.wait(60000));
    const std::string silent = "Server runs but does not answer on port " + std::to_string(port_);
    EXPECT_EQ(log_.back(), silent);
    EXPECT_TRUE(Logged("server.log : ERROR: Couldn't load the map: the server will not answer"));
    const QString message = failed_.front().front().toString();
    EXPECT_TRUE(message.startsWith(QString::fromStdString(silent + "\n\n"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("ERROR: Couldn't load the map"))) << message.toStdString();
    EXPECT_TRUE(server_.Running());
}

TEST_F(ServerProcessTest, StopAndRestartEndTheWrapperAndItsEngine) {
    server_.Start(Launch(Engine("--term-exit 1", EngineWrapper::Child), 0));
    const qint64 first = started_.front().front().toLongLong();
    const pid_t engine = EnginePid();
    ASSERT_NE(engine, first);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Logged(Running(first)); }, 60000));

    log_.clear();
    fs::remove(Record());
    server_.Restart();
    ASSERT_EQ(ended_.size(), 1);
    EXPECT_FALSE(ProcessRuns(first));
    EXPECT_FALSE(ProcessRuns(engine));
    ASSERT_EQ(started_.size(), 2);
    const qint64 second = started_.back().front().toLongLong();
    const pid_t secondEngine = EnginePid();
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance())->processId, second);
    ASSERT_GE(log_.size(), 2u);
    // A stop that was asked for is no failure: its exit code is not worth a word.
    EXPECT_EQ(log_[0], "Server stopped");
    EXPECT_EQ(log_[1], "Launch server : 42");

    log_.clear();
    server_.Stop();
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.back(), "Server stopped");
    EXPECT_EQ(ended_.size(), 2);
    EXPECT_FALSE(server_.Running());
    EXPECT_FALSE(ProcessRuns(second));
    EXPECT_FALSE(ProcessRuns(secondEngine));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerProcessTest, AStopThisUserMayNotSendSaysWhyAndKeepsTheServer) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can start a server that the test then stops as another user";
    server_.Start(Launch(Engine("", EngineWrapper::Exec), 0));
    const qint64 id = started_.front().front().toLongLong();
    log_.clear();
    // The window's user is not the server's: the system refuses the signals. The saved id lets the test come back.
    ASSERT_EQ(::setresuid(NobodyId, NobodyId, 0), 0);
    server_.Stop();
    ASSERT_EQ(::setresuid(0, 0, 0), 0);
    EXPECT_TRUE(server_.Running());
    EXPECT_TRUE(ProcessRuns(id));
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.back(), "Stop server : process " + std::to_string(id) +
                               " belongs to another user and may not be stopped by this one; nothing was sent");
}

TEST_F(ServerProcessTest, AServerThatAnotherUsersRecordNamesIsNotAdopted) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give server.pid to another user";
    StartResult started = StartServer(Launch(Engine("", EngineWrapper::Exec), 2), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    const std::string record = ServerPidFile(ModPath(), Instance());
    ASSERT_EQ(::chown(record.c_str(), NobodyId, NobodyId), 0);
    EXPECT_FALSE(server_.Adopt(ModPath(), Instance()));
    EXPECT_FALSE(server_.Running());
    EXPECT_TRUE(log_.empty());
    ASSERT_EQ(::chown(record.c_str(), 0, 0), 0);
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 10s).outcome, StopOutcome::Stopped);
}

TEST_F(ServerProcessTest, AServerThatEndsLaterIsReportedAndALeftServerRunsOn) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    server_.Start(Launch(server, 0));
    const qint64 id = started_.front().front().toLongLong();
    WaitForFile(Record());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Logged(Running(id)); }, 60000));
    SignalOwnProcess(id, SIGINT);
    ASSERT_TRUE(ended_.wait(60000));
    EXPECT_EQ(log_, (std::vector<std::string>{Running(id), "Server stopped (exit code 9)"}));

    server_.Start(Launch(server, 0));
    const qint64 left = started_.back().front().toLongLong();
    server_.LeaveRunning();
    EXPECT_FALSE(server_.Running());
    EXPECT_EQ(log_.back(), "Server left running (process " + std::to_string(left) + ")");
    QTest::qWait(100);
    EXPECT_TRUE(ProcessRuns(left));
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance())->processId, left);
    SignalOwnProcess(left, SIGTERM);
}

TEST_F(ServerProcessTest, AServerFoundRunningIsAdoptedShownAndStoppedWhole) {
    StartResult started = StartServer(Launch(Engine("", EngineWrapper::Child), 2), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    const pid_t id = started.server->process.Id();
    const pid_t engine = EnginePid();

    EXPECT_FALSE(server_.Adopt(folder_.File("elsewhere/BriselaMOD_v2"), Instance()));
    EXPECT_FALSE(server_.Running());
    EXPECT_TRUE(server_.Adopt(ModPath(), Instance()));
    EXPECT_TRUE(server_.Running());
    EXPECT_TRUE(server_.CanRestart());
    ASSERT_EQ(started_.size(), 1);
    EXPECT_EQ(started_.front().front().toLongLong(), id);
    EXPECT_EQ(server_.Address(), (StatusAddress{"127.0.0.1", port_}));
    EXPECT_EQ(log_, std::vector<std::string>{"Server found running (process " + std::to_string(id) + ")"});
    // Adopting the same server again changes nothing.
    EXPECT_TRUE(server_.Adopt(ModPath(), Instance()));
    EXPECT_EQ(started_.size(), 1);

    server_.Stop();
    EXPECT_FALSE(server_.Running());
    EXPECT_EQ(ended_.size(), 1);
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_TRUE(started.server->process.WaitForEnd(10s));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

} // namespace

namespace {

struct EndedCase {
    int exitCode;
    bool requested;
    const char* line;
};

// A stop asked for, by this program or by a stop signal from another, is no failure: no exit code. A server that
// ended by itself, a crash or SIGKILL included, keeps its code.
TEST(EndedLineTest, ARequestedStopSaysStoppedAndAnEndByItselfKeepsItsCode) {
    const EndedCase cases[] = {
        {1, true, "Server stopped"},
        {-1, true, "Server stopped"},
        {128 + SIGTERM, false, "Server stopped"},
        {128 + SIGINT, false, "Server stopped"},
        {128 + SIGHUP, false, "Server stopped"},
        {1, false, "Server stopped (exit code 1)"},
        {0, false, "Server stopped (exit code 0)"},
        {128 + SIGKILL, false, "Server stopped (exit code 137)"},
        {128 + SIGSEGV, false, "Server stopped (exit code 139)"},
    };
    for (const EndedCase& c : cases)
        EXPECT_EQ(EndedLine(c.exitCode, c.requested), c.line) << c.exitCode << " " << c.requested;
}

} // namespace
