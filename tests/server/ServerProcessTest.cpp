#include "server/ServerProcess.h"

#include "platform/Process.h"
#include "server/ServerFiles.h"
#include "support/FakeServer.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string Parameters = "+set dedicated 1 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg";

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
    ServerLaunch Launch(const std::string& executable) const { return {executable, Parameters, ModPath()}; }
    std::string Running(qint64 id) const { return "Server running after 0.3 s (process " + std::to_string(id) + ")"; }

    TestFolder folder_;
    std::vector<std::string> log_;
    TServerProcess server_{[this](const std::string& line) { log_.push_back(line); }, nullptr};
    QSignalSpy started_{&server_, &TServerProcess::Started};
    QSignalSpy ended_{&server_, &TServerProcess::Ended};
};

TEST_F(ServerProcessTest, AServerThatEndsDuringTheWatchIsReportedAndSignalled) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "no map\n", 1);
    EXPECT_FALSE(server_.CanRestart());
    EXPECT_EQ(server_.Start(Launch(server)), ShellOpenStarted);
    EXPECT_EQ(started_.size(), 1);
    ASSERT_TRUE(ended_.wait(5000));
    EXPECT_EQ(ended_.front().front().toInt(), 1);
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.front(), "Server stopped at start (exit code 1)");
    EXPECT_NE(std::find(log_.begin(), log_.end(), "server.log : no map"), log_.end());
    EXPECT_FALSE(server_.Running());
    EXPECT_TRUE(server_.CanRestart());
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
}

TEST_F(ServerProcessTest, ARunningServerIsCheckedStoppedAndRestartedWithTheSameCommand) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    server_.Start(Launch(server));
    ASSERT_EQ(started_.size(), 1);
    const qint64 first = started_.front().front().toLongLong();
    const std::string arguments = WaitForFile(Record());
    QTest::qWait(500);
    EXPECT_EQ(log_, std::vector<std::string>{Running(first)});
    EXPECT_TRUE(server_.Running());
    EXPECT_TRUE(fs::exists(ServerPidFile(ModPath())));

    log_.clear();
    fs::remove(Record());
    server_.Restart();
    ASSERT_EQ(ended_.size(), 1);
    EXPECT_EQ(ended_.front().front().toInt(), FakeServerTermExit);
    EXPECT_FALSE(ProcessRuns(first));
    ASSERT_EQ(started_.size(), 2);
    const qint64 second = started_.back().front().toLongLong();
    EXPECT_NE(second, first);
    EXPECT_EQ(WaitForFile(Record()), arguments);
    EXPECT_EQ(ReadServerRecord(ModPath())->processId, second);
    QTest::qWait(500);
    EXPECT_EQ(log_,
              (std::vector<std::string>{"Stop server : stopped (exit code 7)", "Launch server : 42", Running(second)}));

    log_.clear();
    server_.Stop();
    EXPECT_EQ(log_, std::vector<std::string>{"Stop server : stopped (exit code 7)"});
    EXPECT_EQ(ended_.size(), 2);
    EXPECT_FALSE(server_.Running());
    EXPECT_FALSE(ProcessRuns(second));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
}

TEST_F(ServerProcessTest, AServerThatEndsLaterIsReportedAndALeftServerRunsOn) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    server_.Start(Launch(server));
    const qint64 id = started_.front().front().toLongLong();
    WaitForFile(Record());
    QTest::qWait(400);
    ::kill(static_cast<pid_t>(id), SIGINT);
    ASSERT_TRUE(ended_.wait(5000));
    EXPECT_EQ(log_, (std::vector<std::string>{Running(id), "Server stopped (exit code 9)"}));

    server_.Start(Launch(server));
    const qint64 left = started_.back().front().toLongLong();
    server_.LeaveRunning();
    EXPECT_FALSE(server_.Running());
    EXPECT_EQ(log_.back(), "Server left running (process " + std::to_string(left) + ")");
    QTest::qWait(100);
    EXPECT_TRUE(ProcessRuns(left));
    EXPECT_EQ(ReadServerRecord(ModPath())->processId, left);
    ::kill(static_cast<pid_t>(left), SIGTERM);
}

} // namespace
