#include "app/MainForm.h"

#include "platform/Paths.h"
#include "server/ServerFiles.h"
#include "server/ServerProcess.h"
#include "server/ServerStart.h"
#include "support/FakeServer.h"
#include "support/FakeUdpServer.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const QString Parameters =
    QStringLiteral("+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg");
const std::string RecordedArguments =
    "+set\ndedicated\n2\n+set\nfs_game\nBriselaMOD_v2\n+exec\nadvanced.cfg\n+exec\nstandard.cfg\n";

// `quendry run` and `quendry stop` on a program folder of their own and a game folder whose server is a script
// that records where and how it was started.
class ServerControlTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_.File("program"));
        fs::copy_file(QUENDRY_EXECUTABLE, folder_.File("program/quendry"));
        folder_.Write("program/maps.ini", "mp_harbor=[dm] [bhm]\r\n");
        folder_.Write("settings.ini", "[MainFormdedicated]\r\nL0=None\r\nL1=Local\r\nL2=Internet\r\nItemIndex=2\r\n"
                                      "[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\nItemIndex=-1\r\n"
                                      "[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n");
        fs::create_directories(folder_.File("game/main"));
    }

    std::string Game() const { return folder_.File("game"); }
    std::string ModPath() const { return folder_.File("game/BriselaMOD_v2"); }
    std::string Record() const { return folder_.File("record"); }

    QStringList Run(const QStringList& options) const {
        return QStringList{QStringLiteral("run"), QStringLiteral("--settings"),
                           QString::fromStdString(folder_.File("settings.ini")), QStringLiteral("--game"),
                           QString::fromStdString(Game())} +
               options;
    }
    QStringList Stop() const {
        return {QStringLiteral("stop"), QStringLiteral("--game"), QString::fromStdString(Game())};
    }

    void Start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUENDRY_EXE_RUNNER"), QString::fromStdString(folder_.File("runner")));
        environment.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(folder_.File("program/quendry")), arguments);
    }

    struct Result {
        int exitCode;
        QStringList out;
        QString err;
    };

    Result Quendry(const QStringList& arguments) const {
        QProcess process;
        Start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n')),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    TestFolder folder_;
};

TEST_F(ServerControlTest, TheNativeServerStartsDirectlyIsCheckedAndStops) {
    // Both servers are there; the runner would record too, but must not be used.
    WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "native up\n", std::nullopt);
    folder_.Write("game/CoDMP.exe", "");
    WriteFakeServer(folder_.File("runner"), folder_.File("runner-record"), "", 0);

    const Result run = Quendry(Run({QStringLiteral("--watch"), QStringLiteral("0.5")}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + RecordedArguments);
    const auto record = ReadServerRecord(ModPath());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->executable, folder_.File("game/cod_lnxded"));
    const QString id = QString::number(record->processId);
    EXPECT_EQ(run.out.mid(run.out.size() - 4),
              (QStringList{QStringLiteral("Server program : cod_lnxded (native)"), QStringLiteral("Launch server : 42"),
                           QStringLiteral("Server running after 0.5 s (process ") + id + QLatin1Char(')'), QString()}));
    EXPECT_TRUE(ProcessRuns(record->processId));
    EXPECT_FALSE(fs::exists(folder_.File("runner-record")));

    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_EQ(stop.out.front(), QStringLiteral("Server stopped (process ") + id + QLatin1Char(')'));
    EXPECT_FALSE(ProcessRuns(record->processId));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
    const std::string log = folder_.Read("game/BriselaMOD_v2/server.log");
    EXPECT_NE(log.find("native up\n"), std::string::npos);
    EXPECT_NE(log.find("got TERM\n"), std::string::npos);

    const Result again = Quendry(Stop());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("no server started from this folder runs")));
}

TEST_F(ServerControlTest, ARunnerThatEndsAtOnceIsAServerStoppedAtStart) {
    folder_.Write("game/CoDMP.exe", "");
    WriteFakeServer(folder_.File("runner"), Record(), "err:module:import_dll Library not found\n", 1);
    QElapsedTimer timer;
    timer.start();
    const Result run = Quendry(Run({}));
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_LT(timer.elapsed(), 3000) << "the check ends with the server";
    const QStringList lines = run.out.mid(run.out.indexOf(QStringLiteral("Launch server : 42")));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[1], QStringLiteral("Server stopped at start (exit code 1)"));
    EXPECT_TRUE(lines.contains(QStringLiteral("server.log : err:module:import_dll Library not found")));
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + Game() + "/CoDMP.exe\n" + RecordedArguments);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
}

TEST_F(ServerControlTest, InTheForegroundSigtermAndSigintReachTheServerAndItsCodeIsReturned) {
    WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "foreground up\n", std::nullopt);
    const std::pair<int, int> cases[] = {{SIGTERM, FakeServerTermExit}, {SIGINT, FakeServerIntExit}};
    for (const auto& [signal, exitCode] : cases) {
        SCOPED_TRACE(signal);
        fs::remove(Record());
        QProcess quendry;
        Start(quendry, Run({QStringLiteral("--foreground")}));
        ASSERT_FALSE(WaitForFile(Record()).empty());
        WaitForFile(ServerPidFile(ModPath()));
        const auto record = ReadServerRecord(ModPath());
        ASSERT_TRUE(record);
        ::kill(static_cast<pid_t>(quendry.processId()), signal);
        ASSERT_TRUE(quendry.waitForFinished(10000));
        EXPECT_EQ(quendry.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quendry.exitCode(), exitCode);
        const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());
        // The server's output goes where the command's goes (a service manager's journal).
        EXPECT_TRUE(out.contains(QStringLiteral("foreground up\n")));
        EXPECT_TRUE(out.endsWith(QStringLiteral("Server stopped (exit code ") + QString::number(exitCode) +
                                 QStringLiteral(")\n")))
            << out.toStdString();
        EXPECT_FALSE(ProcessRuns(record->processId));
        EXPECT_FALSE(fs::exists(ServerPidFile(ModPath())));
    }
}

TEST_F(ServerControlTest, StopRefusesAProcessWhoseCommandLineIsNotTheServers) {
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    fs::create_directories(ModPath());
    WriteServerRecord(
        ModPath(), {static_cast<pid_t>(other.processId()), folder_.File("game/cod_lnxded"), Parameters.toStdString()});
    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_TRUE(stop.err.contains(QStringLiteral("process ") + QString::number(other.processId()) +
                                  QStringLiteral(" is not the server (its command line: ")))
        << stop.err.toStdString();
    EXPECT_TRUE(stop.err.contains(QStringLiteral("sleep 30); nothing was sent")));
    QTest::qWait(100);
    EXPECT_EQ(other.state(), QProcess::Running);
    other.kill();
    other.waitForFinished();
}

TEST_F(ServerControlTest, LaunchOptionsThatCannotBeUsedAreUsageErrors) {
    const QStringList wrong[] = {
        {QStringLiteral("--watch"), QStringLiteral("-1")},
        {QStringLiteral("--watch"), QStringLiteral("3s")},
        {QStringLiteral("--watch"), QStringLiteral("3601")},
        {QStringLiteral("--foreground"), QStringLiteral("--no-launch")},
        {QStringLiteral("--foreground"), QStringLiteral("--watch"), QStringLiteral("1")},
    };
    for (const QStringList& options : wrong) {
        const Result run = Quendry(Run(options));
        EXPECT_EQ(run.exitCode, 2) << options.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(fs::exists(ModPath())) << options.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(Quendry({QStringLiteral("stop")}).exitCode, 2);
    EXPECT_EQ(Quendry({QStringLiteral("stop"), QStringLiteral("--game")}).exitCode, 2);
}

TEST_F(ServerControlTest, StopSendsNothingToAnotherUsersServer) {
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "needs root and setpriv (util-linux) to stop as another user";
    // The server runs as root; nobody (65534) asks to stop it.
    fs::permissions(folder_.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(ModPath());
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    StartResult started = StartServer({server, Parameters.toStdString(), ModPath()}, ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    WaitForFile(Record());

    QProcess stop;
    stop.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                      QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                                      QString::fromStdString(folder_.File("program/quendry"))} +
                                              Stop());
    ASSERT_TRUE(stop.waitForFinished(30000));
    EXPECT_EQ(stop.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(stop.readAllStandardError())
                    .contains(QStringLiteral("belongs to another user and may not be stopped by this one")));
    EXPECT_TRUE(ProcessRuns(started.server->process.Id()));
    EXPECT_TRUE(fs::exists(ServerPidFile(ModPath())));
    started.server->process.Stop(5s);
    started.server->process.Reap();
}

// The window keeps the server it started: File > Stop server and Restart server, and a question on closing.
class ServerWindowTest : public ServerControlTest {
protected:
    void SetUp() override {
        ServerControlTest::SetUp();
        SetProgramFolderOverride(folder_.File("program"));
        form_ = std::make_unique<TMainForm>();
        form_->ServerProcess().SetPeriods(200ms, 2s);
        WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    }
    void TearDown() override {
        if (form_->ServerProcess().Running())
            form_->ServerProcess().Stop();
        form_.reset();
        SetProgramFolderOverride(std::nullopt);
    }

    QAction* Action(const char* name) const { return form_->findChild<QAction*>(QString::fromLatin1(name)); }
    pid_t StartServer() {
        fs::remove(Record());
        fs::create_directories(ModPath());
        form_->ServerProcess().Start({folder_.File("game/cod_lnxded"), Parameters.toStdString(), ModPath()});
        WaitForFile(Record());
        return ReadServerRecord(ModPath())->processId;
    }

    ScriptedQuestions questions_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(ServerWindowTest, StopAndRestartAreInTheFileMenuForTheServerTheWindowStarted) {
    QAction* stop = Action("StopServer1");
    QAction* restart = Action("RestartServer1");
    ASSERT_TRUE(stop && restart);
    EXPECT_EQ(stop->text().remove(QLatin1Char('&')), QStringLiteral("Stop server"));
    EXPECT_EQ(restart->text().remove(QLatin1Char('&')), QStringLiteral("Restart server"));
    EXPECT_EQ(stop->parent()->objectName(), QStringLiteral("File1"));
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_FALSE(restart->isEnabled());

    const pid_t first = StartServer();
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_TRUE(restart->isEnabled());
    restart->trigger();
    const pid_t second = ReadServerRecord(ModPath())->processId;
    EXPECT_NE(second, first);
    EXPECT_FALSE(ProcessRuns(first));
    EXPECT_TRUE(ProcessRuns(second));

    stop->trigger();
    EXPECT_FALSE(ProcessRuns(second));
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(restart->isEnabled());
    EXPECT_TRUE(questions_.errors.isEmpty());
}

TEST_F(ServerWindowTest, TheStatusLineAsksTheServerTheWindowStartedOnItsPortUntilItEnds) {
    const FakeUdpServer game(
        "\xff\xff\xff\xffstatusResponse\n\\sv_hostname\\Brisela\\mapname\\mp_harbor\\g_gametype\\sd\n");
    // The port comes from the advanced lines, which the server executes first.
    form_->Find<QListWidget>(QStringLiteral("ListBoxCfg"))
        ->addItems({QStringLiteral("// Network"), QStringLiteral("set net_port ") + QString::number(game.Port())});
    form_->show();
    auto* status = form_->Find<QLabel>(QStringLiteral("LabelStatus"));
    EXPECT_EQ(status->text(), QString());

    StartServer();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return status->text() == QStringLiteral("Server status : Brisela, mp_harbor, sd, 0 players"); }, 3000))
        << status->text().toStdString();

    Action("StopServer1")->trigger();
    EXPECT_EQ(status->text(), QString());
}

TEST_F(ServerWindowTest, ClosingAsksWhetherToLeaveARunningServerAlone) {
    const pid_t server = StartServer();
    questions_.yesNoCancel = {std::nullopt};
    EXPECT_FALSE(form_->close());
    EXPECT_EQ(questions_.asked.size(), 1);
    EXPECT_TRUE(questions_.asked.front().contains(QStringLiteral("still running")));
    EXPECT_TRUE(ProcessRuns(server));

    questions_.yesNoCancel = {false};
    EXPECT_TRUE(form_->close());
    EXPECT_FALSE(ProcessRuns(server));

    const pid_t left = StartServer();
    questions_.yesNoCancel = {true};
    EXPECT_TRUE(form_->close());
    EXPECT_TRUE(ProcessRuns(left));
    EXPECT_EQ(ReadServerRecord(ModPath())->processId, left);
    ::kill(left, SIGTERM);

    // Without a running server nothing is asked.
    questions_.asked.clear();
    EXPECT_TRUE(form_->close());
    EXPECT_TRUE(questions_.asked.isEmpty());
}

TEST_F(ServerWindowTest, RunAsksBeforeReplacingARunningServer) {
    const pid_t server = StartServer();
    questions_.yesNo = {false};
    form_->ButtonRunClick();
    EXPECT_EQ(questions_.asked.size(), 1);
    EXPECT_TRUE(ProcessRuns(server));
    EXPECT_TRUE(form_->ServerProcess().Running());
}

} // namespace
