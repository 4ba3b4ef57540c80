// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainForm.h"
#include "app/Program.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "server/ServerFiles.h"
#include "server/ServerProcess.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"
#include "settings/SettingsLocation.h"
#include "store/ResourcesMaker.h"
#include "support/FakeHttpServer.h"
#include "support/FakeServer.h"
#include "support/OwnProcesses.h"
#include "support/ProgramCopy.h"
#include "support/PromtoolCheck.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The server's parameters with the port the advanced lines set.
std::string Parameters(int port) {
    return "+set dedicated 2 +set fs_game BriselaMOD_v2 +set net_port " + std::to_string(port) +
           " +exec advanced.cfg +exec standard.cfg";
}
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

std::string RecordedArguments(int port) {
    return "+set\ndedicated\n2\n+set\nfs_game\nBriselaMOD_v2\n+set\nnet_port\n" + std::to_string(port) +
           "\n+exec\nadvanced.cfg\n+exec\nstandard.cfg\n";
}

// The lines of `path` once it holds at least `count`, or once `quendry` has ended.
QStringList LinesOnceThere(const std::string& path, int count, const QProcess& quendry) {
    for (;;) {
        const QStringList lines =
            fs::exists(path) ? QString::fromStdString(ReadWholeFile(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                             : QStringList();
        if (lines.size() >= count || quendry.state() == QProcess::NotRunning)
            return lines;
        QThread::msleep(20);
    }
}

// True once the metrics file `path` gives `sample` the value `value`; false when `quendry` ended before.
bool MetricOnceThere(const std::string& path, const std::string& sample, double value, const QProcess& quendry) {
    while (quendry.state() != QProcess::NotRunning) {
        if (fs::exists(path)) {
            const auto samples = MetricSamples(ReadWholeFile(path));
            if (const auto found = samples.find(sample); found != samples.end() && found->second == value)
                return true;
        }
        QThread::msleep(20);
    }
    return false;
}

// The labels of the metrics of the plain instance of `game` on `port`.
std::string PlainLabels(const std::string& game, int port) {
    return "{server=\"(plain)\",game=\"" + game + "\",address=\"127.0.0.1:" + std::to_string(port) + "\"}";
}

// The service manager's end of the notification socket, at `path`.
class ServiceManagerSocket {
public:
    explicit ServiceManagerSocket(const std::string& path) : socket_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        EXPECT_GE(socket_, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        // Not a limit on the test: only a way out when the command died without a word.
        const timeval patience{300, 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    }
    ~ServiceManagerSocket() { ::close(socket_); }
    ServiceManagerSocket(const ServiceManagerSocket&) = delete;
    ServiceManagerSocket& operator=(const ServiceManagerSocket&) = delete;

    // The next notification, or "(nothing)".
    std::string Next() const {
        char buffer[4096];
        const ssize_t size = ::recv(socket_, buffer, sizeof buffer, 0);
        return size > 0 ? std::string(buffer, static_cast<std::size_t>(size)) : std::string("(nothing)");
    }

private:
    int socket_;
};

// `quendry run` and `quendry stop` on a program folder of their own and a game folder whose server is a script
// that records where and how it was started.
class ServerControlTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_.File("program"));
        CopyProgram(folder_.File("program"));
        folder_.Write("program/maps.ini", "mp_harbor=[dm] [bhm]\r\n");
        folder_.Write("settings.ini", "[MainFormdedicated]\r\nL0=None\r\nL1=Local\r\nL2=Internet\r\nItemIndex=2\r\n"
                                      "[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\nItemIndex=-1\r\n"
                                      "[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n"
                                      "[MainFormListBoxCfg]\r\nL0=// Network\r\nL1=set net_port " +
                                          std::to_string(port_) + "\r\nItemIndex=-1\r\n");
        fs::create_directories(folder_.File("game/main"));
    }

    std::string Game() const { return folder_.File("game"); }
    std::string ModPath() const { return folder_.File("game/BriselaMOD_v2"); }
    std::string Record() const { return folder_.File("record"); }
    // The game folder's server: the stand-in engine with `options`, in place of the script or as its child.
    void WriteEngine(const std::string& options, EngineWrapper wrapper = EngineWrapper::Exec) const {
        WriteEngineScript(folder_.File("game/cod_lnxded"), options + " --record '" + Record() + "'", wrapper);
    }
    // The engine's process id, once its socket is open.
    long EnginePid() const { return RecordedProcess(Record()); }
    // The port the engine listens on.
    int EnginePort() const {
        return QString::fromStdString(WaitForFile(Record())).section(QLatin1Char('\n'), 2, 2).toInt();
    }

    // The game folder's server: a script that lets another server take the port, from a session of its own, between
    // the check of the port and the engine's start; the engine then opens the next port. The other server's record.
    std::string WriteEngineThatFindsItsPortTaken() const {
        const std::string holderRecord = WriteHolder();
        const std::string script = "#!/bin/sh\nsetsid '" + folder_.File("elsewhere/holder") + "' +set net_port " +
                                   std::to_string(port_) + " >/dev/null 2>&1 &\nwhile [ ! -e '" + holderRecord +
                                   "' ]; do sleep 0.05; done\nexec '" + StandInEngine() + "' --record '" + Record() +
                                   "' \"$@\"\n";
        folder_.Write("game/cod_lnxded", script);
        fs::permissions(folder_.File("game/cod_lnxded"), fs::perms::owner_all);
        return holderRecord;
    }

    // Another program on the server's port: the stand-in engine, started by `holder` from a folder of its own; its
    // process id.
    long HoldPort(QProcess& holder) const {
        const std::string holderRecord = WriteHolder();
        holder.setWorkingDirectory(QString::fromStdString(folder_.File("elsewhere")));
        holder.start(QString::fromStdString(folder_.File("elsewhere/holder")),
                     {QStringLiteral("+set"), QStringLiteral("net_port"), QString::number(port_)});
        return RecordedProcess(holderRecord);
    }
    // The other server: the stand-in engine as "elsewhere/holder", which records itself in the file returned.
    std::string WriteHolder() const {
        const std::string holderRecord = folder_.File("holder-record");
        WriteEngineScript(folder_.File("elsewhere/holder"), "--record '" + holderRecord + "'", EngineWrapper::Exec);
        return holderRecord;
    }
    // The process id that the engine's `record` names, once the engine has written it.
    static long RecordedProcess(const std::string& record) {
        return QString::fromStdString(WaitForFile(record)).section(QLatin1Char('\n'), 0, 0).toLong();
    }

    QStringList Run(const QStringList& options) const {
        return QStringList{QStringLiteral("run"), QStringLiteral("--settings"),
                           QString::fromStdString(folder_.File("settings.ini")), QStringLiteral("--game"),
                           QString::fromStdString(Game())} +
               options;
    }
    QStringList Stop() const {
        return {QStringLiteral("stop"), QStringLiteral("--game"), QString::fromStdString(Game())};
    }

    void Start(QProcess& process, const QStringList& arguments,
               const QProcessEnvironment& extra = QProcessEnvironment()) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : extra.keys())
            environment.insert(name, extra.value(name));
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

    // `quendry` with `arguments`, telling a service manager at `path` how the server does, with a watchdog of
    // `watchdogUsec` microseconds when given.
    void StartForServiceManager(QProcess& quendry, const std::string& path, const QStringList& arguments,
                                const QString& watchdogUsec = {}) const {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("NOTIFY_SOCKET"), QString::fromStdString(path));
        if (!watchdogUsec.isEmpty())
            environment.insert(QStringLiteral("WATCHDOG_USEC"), watchdogUsec);
        Start(quendry, arguments, environment);
    }

    // Adds the output of `quendry` to `out` until it holds `text` or `quendry` ended.
    static void ReadUntil(QProcess& quendry, QString& out, const QString& text) {
        while (!out.contains(text) && quendry.state() == QProcess::Running) {
            quendry.waitForReadyRead(-1);
            out += QString::fromLocal8Bit(quendry.readAllStandardOutput());
        }
    }

    Result Quendry(const QStringList& arguments) const {
        QProcess process;
        Start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n')),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    TestFolder folder_;
    int port_ = FreeUdpPort();
};

// On a box without a display, from an empty home: a settings file made without the window, then a run that
// builds the map catalogue it needs and starts the server.
TEST_F(ServerControlTest, AFirstStartNeedsOnlySettingsNewAndRun) {
    fs::remove(folder_.File("program/maps.ini"));
    {
        TResourcesMaker defaults(folder_.File("program/default.bin"), "");
        defaults.AddResource(QUENDRY_FACTORY_SETTINGS, "default.ini", true);
    }
    fs::copy_file(QUENDRY_UNZDLL, folder_.File("program/UnzDll.so"));
    folder_.Write("game/main/pak0.pk3", MakeZip({{.name = "mp/stock.arena",
                                                  .content = "{\n map \"mp_harbor\"\n gametype \"dm sd\"\n}\n"
                                                             "{\n map \"mp_carentan\"\n gametype \"sd\"\n}\n"}}));
    WriteEngine("", EngineWrapper::Child);
    const std::string lines = folder_.Write("network.txt", "set net_port " + std::to_string(port_) + "\n");
    const QString settings = QString::fromStdString(folder_.File("s.ini"));
    const Result made = Quendry({QStringLiteral("settings"), QStringLiteral("new"), settings, QStringLiteral("--game"),
                                 QString::fromStdString(Game()), QStringLiteral("sv_hostname=My server"),
                                 QStringLiteral("rotation=mp_harbor,mp_carentan"), QStringLiteral("gametype=sd"),
                                 QString::fromStdString("advanced=@" + lines)});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();

    const Result run = Quendry({QStringLiteral("run"), QStringLiteral("--settings"), settings, QStringLiteral("--game"),
                                QString::fromStdString(Game()), QStringLiteral("--watch"), QStringLiteral("60")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Scan : 2 maps in 1 of 1 archives")))
        << run.out.join(u'\n').toStdString();
    EXPECT_EQ(folder_.Read("program/maps.ini"), "mp_harbor=[dm] [sd] [bhm]\r\nmp_carentan=[sd] [bhm]\r\n");
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("\nServer answering on 127\\.0\\.0\\.1:%1 after [0-9.]+ s \\(mp_harbor, dm\\)\n").arg(port_))
            .match(run.out.join(u'\n'))
            .hasMatch())
        << run.out.join(u'\n').toStdString();
    EXPECT_NE(folder_.Read("game/BriselaMOD_v2/standard.cfg").find("map mp_harbor map mp_carentan"), std::string::npos);
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
}

TEST_F(ServerControlTest, TheNativeServerAnswersOnThePortOfTheAdvancedLinesAndStopsWhole) {
    // Both servers are there; the runner would record too, but must not be used.
    WriteEngine("", EngineWrapper::Child);
    folder_.Write("game/CoDMP.exe", "");
    WriteFakeServer(folder_.File("runner"), folder_.File("runner-record"), "", 0);

    const Result run = Quendry(Run({QStringLiteral("--watch"), QStringLiteral("60")}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The engine opens its socket before it reads any cfg file: the port comes on its command line.
    EXPECT_EQ(EnginePort(), port_);
    const auto record = ReadServerRecord(ModPath(), Instance());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->executable, folder_.File("game/cod_lnxded"));
    EXPECT_EQ(record->parameters, Parameters(port_));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Server port : %1 (from the advanced lines)").arg(port_)));
    const QStringList tail = run.out.mid(run.out.size() - 4);
    EXPECT_EQ(tail[0], QStringLiteral("Server program : cod_lnxded (native)"));
    EXPECT_EQ(tail[1], QStringLiteral("Launch server : 42"));
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^Server answering on 127\\.0\\.0\\.1:%1 after [0-9.]+ s \\(mp_harbor, dm\\)$").arg(port_))
            .match(tail[2])
            .hasMatch())
        << tail[2].toStdString();
    const long engine = EnginePid();
    EXPECT_NE(engine, record->processId);
    EXPECT_FALSE(fs::exists(folder_.File("runner-record")));

    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_EQ(stop.out.front(), QStringLiteral("Server stopped (process %1)").arg(record->processId));
    EXPECT_FALSE(ProcessRuns(record->processId));
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    EXPECT_NE(folder_.Read("game/BriselaMOD_v2/server.log").find("Opening IP socket: 127.0.0.1:"), std::string::npos);

    const Result again = Quendry(Stop());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("no server started from this folder runs")));
}

TEST_F(ServerControlTest, ASecondRunIsRefusedWhileTheFirstServerRunsAndRestartReplacesIt) {
    WriteEngine("");
    const Result first = Quendry(Run({}));
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const std::string record = folder_.Read(ServerPidFile(ModPath(), Instance()));
    const long server = EnginePid();

    const Result second = Quendry(Run({}));
    EXPECT_EQ(second.exitCode, 4);
    EXPECT_TRUE(second.err.contains(
        QStringLiteral("The server of this game folder is running (process %1, started as ").arg(server)))
        << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(QStringLiteral("--restart")));
    EXPECT_EQ(folder_.Read(ServerPidFile(ModPath(), Instance())), record);
    EXPECT_TRUE(ProcessRuns(server));

    fs::remove(Record());
    const Result restart = Quendry(Run({QStringLiteral("--restart")}));
    EXPECT_EQ(restart.exitCode, 0) << restart.err.toStdString();
    EXPECT_TRUE(restart.out.contains(QStringLiteral("Server stopped (process %1)").arg(server)));
    const long replacement = EnginePid();
    EXPECT_NE(replacement, server);
    EXPECT_FALSE(ProcessRuns(server));
    EXPECT_TRUE(ProcessRuns(replacement));
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance())->processId, replacement);
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
}

TEST_F(ServerControlTest, InstancesOfOneGameFolderRunSideBySideEachWithItsOwnFilesAndPort) {
    int clanPort = FreeUdpPort();
    while (clanPort == port_)
        clanPort = FreeUdpPort();
    const std::string clanSettings = Replaced(folder_.Read("settings.ini"), "set net_port " + std::to_string(port_),
                                              "set net_port " + std::to_string(clanPort));
    folder_.Write("clan.ini", clanSettings);
    const auto runOf = [&](const std::string& instance, const std::string& settings, const QStringList& options) {
        return QStringList{QStringLiteral("run"),
                           QStringLiteral("--settings"),
                           QString::fromStdString(folder_.File(settings)),
                           QStringLiteral("--game"),
                           QString::fromStdString(Game()),
                           QStringLiteral("--instance"),
                           QString::fromStdString(instance)} +
               options;
    };
    const auto statusAll = [&] {
        const Result status = Quendry({QStringLiteral("status"), QStringLiteral("--game"),
                                       QString::fromStdString(Game()), QStringLiteral("--all")});
        EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
        return status.out;
    };
    // The values of `status --all --prometheus`: up, running and players of each instance.
    const auto metricsAll = [&] {
        const Result status =
            Quendry({QStringLiteral("status"), QStringLiteral("--game"), QString::fromStdString(Game()),
                     QStringLiteral("--all"), QStringLiteral("--prometheus")});
        EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
        const std::string text = status.out.join(QLatin1Char('\n')).toStdString();
        ExpectValidMetrics(text);
        // "quendry_up clan" and the value, for each server.
        std::map<std::string, double> values;
        for (const auto& [sample, value] : MetricSamples(text)) {
            const std::size_t server = sample.find("{server=\"") + 9;
            const std::string name = sample.substr(0, sample.find('{'));
            if (name == "quendry_up" || name == "quendry_running" || name == "quendry_players")
                values[name + " " + sample.substr(server, sample.find('"', server) - server)] = value;
        }
        return values;
    };

    WriteEngine("");
    const Result plain = Quendry(Run({}));
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const auto plainRecord = ReadServerRecord(ModPath(), Instance());
    ASSERT_TRUE(plainRecord);
    // Without an instance, the names and the command line are those of a game folder with one server.
    EXPECT_EQ(plainRecord->parameters, Parameters(port_));
    // The clan's server starts but never answers: its state says so.
    WriteEngine("--never-answer");
    const Result clan = Quendry(runOf("clan", "clan.ini", {QStringLiteral("--watch"), QStringLiteral("0")}));
    ASSERT_EQ(clan.exitCode, 0) << clan.err.toStdString();
    const auto clanRecord = ReadServerRecord(ModPath(), *Instance::Named("clan"));
    ASSERT_TRUE(clanRecord);
    EXPECT_EQ(clanRecord->parameters, "+set dedicated 2 +set fs_game BriselaMOD_v2 +set net_port " +
                                          std::to_string(clanPort) +
                                          " +exec advanced-clan.cfg +exec standard-clan.cfg");
    EXPECT_TRUE(ProcessRuns(plainRecord->processId));
    EXPECT_TRUE(ProcessRuns(clanRecord->processId));
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(ModPath()))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files,
              (std::set<std::string>{"advanced.cfg", "standard.cfg", "server.pid", "server.log", "advanced-clan.cfg",
                                     "standard-clan.cfg", "server-clan.pid", "server-clan.log"}));
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced-clan.cfg"),
              "// Network\r\nset net_port " + std::to_string(clanPort) + "\r\n");
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced.cfg"),
              "// Network\r\nset net_port " + std::to_string(port_) + "\r\n");

    EXPECT_EQ(metricsAll(), (std::map<std::string, double>{{"quendry_up (plain)", 1},
                                                           {"quendry_running (plain)", 1},
                                                           {"quendry_players (plain)", 1},
                                                           {"quendry_up clan", 0},
                                                           {"quendry_running clan", 1}}));
    QStringList listed = statusAll();
    ASSERT_GE(listed.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\(plain\\) +127\\.0\\.0\\.1:%1 +running and answering "
                                                  "\\(process %2, mp_harbor, dm, ")
                                       .arg(port_)
                                       .arg(plainRecord->processId))
                    .match(listed[0])
                    .hasMatch())
        << listed.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^clan +127\\.0\\.0\\.1:%1 +running but silent \\(process %2\\)$")
                                       .arg(clanPort)
                                       .arg(clanRecord->processId))
                    .match(listed[1])
                    .hasMatch())
        << listed.join(QLatin1Char('\n')).toStdString();

    // A third instance on the plain server's port is refused before it writes anything, even with --restart.
    for (const QStringList& options : {QStringList(), QStringList{QStringLiteral("--restart")}}) {
        const Result third = Quendry(runOf("copy", "settings.ini", options));
        EXPECT_EQ(third.exitCode, 4) << third.err.toStdString();
        EXPECT_TRUE(third.err.contains(QStringLiteral("Port %1 is in use by the server without an instance of this "
                                                      "game folder (process %2)")
                                           .arg(port_)
                                           .arg(plainRecord->processId)))
            << third.err.toStdString();
        for (const char* name : {"advanced-copy.cfg", "standard-copy.cfg", "server-copy.pid", "server-copy.log"})
            EXPECT_FALSE(fs::exists(folder_.File(std::string("game/BriselaMOD_v2/") + name))) << name;
        EXPECT_TRUE(ProcessRuns(plainRecord->processId));
    }
    // The plain server on the clan's port is refused the same way, naming the instance.
    folder_.Write("settings.ini", clanSettings);
    const Result plainOnClanPort = Quendry(Run({QStringLiteral("--restart")}));
    EXPECT_EQ(plainOnClanPort.exitCode, 4);
    EXPECT_TRUE(plainOnClanPort.err.contains(QStringLiteral("is in use by instance clan of this game folder")))
        << plainOnClanPort.err.toStdString();
    EXPECT_TRUE(ProcessRuns(plainRecord->processId));
    EXPECT_TRUE(ProcessRuns(clanRecord->processId));

    // Each stop stops its own.
    const Result stopClan = Quendry(Stop() + QStringList{QStringLiteral("--instance"), QStringLiteral("clan")});
    EXPECT_EQ(stopClan.exitCode, 0) << stopClan.err.toStdString();
    EXPECT_FALSE(ProcessRuns(clanRecord->processId));
    EXPECT_TRUE(ProcessRuns(plainRecord->processId));
    EXPECT_FALSE(fs::exists(folder_.File("game/BriselaMOD_v2/server-clan.pid")));
    listed = statusAll();
    ASSERT_GE(listed.size(), 2);
    EXPECT_TRUE(listed[0].contains(QStringLiteral("running and answering")));
    EXPECT_EQ(metricsAll(), (std::map<std::string, double>{{"quendry_up (plain)", 1},
                                                           {"quendry_running (plain)", 1},
                                                           {"quendry_players (plain)", 1},
                                                           {"quendry_up clan", 0},
                                                           {"quendry_running clan", 0}}));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^clan +127\\.0\\.0\\.1:%1 +stopped$").arg(clanPort))
                    .match(listed[1])
                    .hasMatch())
        << listed[1].toStdString();

    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
    EXPECT_FALSE(ProcessRuns(plainRecord->processId));
    listed = statusAll();
    EXPECT_TRUE(listed[0].endsWith(QStringLiteral(" stopped"))) << listed[0].toStdString();
}

TEST_F(ServerControlTest, ARunnerThatEndsAtOnceIsAServerStoppedAtStart) {
    folder_.Write("game/CoDMP.exe", "");
    WriteFakeServer(folder_.File("runner"), Record(), "err:module:import_dll Library not found\n", 1);
    const Result run = Quendry(Run({}));
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    const QStringList lines = run.out.mid(run.out.indexOf(QStringLiteral("Launch server : 42")));
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines.contains(QStringLiteral("server.log : err:module:import_dll Library not found")));
    // The failure is the last line, whole.
    EXPECT_EQ(lines[lines.size() - 2], QStringLiteral("Server stopped at start (exit code 1)"));
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + Game() + "/CoDMP.exe\n" + RecordedArguments(port_));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerControlTest, AServerThatNeverAnswersExitsFiveAndKeepsRunning) {
    WriteEngine("--never-answer");
    const Result run = Quendry(Run({QStringLiteral("--watch"), QStringLiteral("1.5")}));
    EXPECT_EQ(run.exitCode, 5) << run.err.toStdString();
    EXPECT_EQ(run.out[run.out.size() - 2], QStringLiteral("Server runs but does not answer on port %1").arg(port_));
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("server.log : ERROR: Couldn't load the map: the server will not answer")));
    EXPECT_TRUE(ProcessRuns(EnginePid()));
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
}

TEST_F(ServerControlTest, InTheForegroundAStopAskedForEndsTheWholeGroupAndExitsZero) {
    struct SignalCase {
        int signal;
        const char* engine;
        QStringList options;
        bool killed;
    };
    const SignalCase cases[] = {
        {SIGTERM, "--term-exit 1", {}, false},
        {SIGINT, "", {}, false},
        {SIGHUP, "--term-exit 1", {}, false},
        {SIGTERM, "--ignore-term", {QStringLiteral("--grace"), QStringLiteral("0.5")}, true},
    };
    for (const auto& [signal, engineOptions, options, killed] : cases) {
        SCOPED_TRACE(std::string(engineOptions) + " " + std::to_string(signal));
        fs::remove(Record());
        WriteEngine(engineOptions, EngineWrapper::Child);
        QProcess quendry;
        Start(quendry, Run(QStringList{QStringLiteral("--foreground")} + options));
        const long engine = EnginePid();
        WaitForFile(ServerPidFile(ModPath(), Instance()));
        const auto record = ReadServerRecord(ModPath(), Instance());
        ASSERT_TRUE(record);
        SignalOwnProcess(quendry.processId(), signal);
        ASSERT_TRUE(quendry.waitForFinished(-1));
        EXPECT_EQ(quendry.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quendry.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());
        // The server's output goes where the command's goes (a service manager's journal).
        EXPECT_TRUE(out.contains(QStringLiteral("Opening IP socket: 127.0.0.1:")));
        EXPECT_EQ(out.contains(QStringLiteral("Server killed after the grace period")), killed) << out.toStdString();
        // The stop was asked for: no exit code, which would read like a failure.
        EXPECT_TRUE(out.contains(QStringLiteral("Server stopped\n"))) << out.toStdString();
        EXPECT_FALSE(out.contains(QStringLiteral("exit code"))) << out.toStdString();
        EXPECT_FALSE(ProcessRuns(record->processId));
        EXPECT_FALSE(ProcessRuns(engine));
        EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    }
}

TEST_F(ServerControlTest, InTheForegroundAServerThatEndsByItselfKeepsItsCode) {
    WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    QProcess quendry;
    Start(quendry, Run({QStringLiteral("--foreground")}));
    WaitForFile(Record());
    WaitForFile(ServerPidFile(ModPath(), Instance()));
    SignalOwnProcess(ReadServerRecord(ModPath(), Instance())->processId, SIGTERM);
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), FakeServerTermExit);
}

TEST_F(ServerControlTest, InTheForegroundAServerThatStopsAnsweringIsStoppedAndExitsSix) {
    WriteEngine("--answer-for 1 --ignore-term", EngineWrapper::Child);
    QProcess quendry;
    Start(quendry, Run({QStringLiteral("--foreground"), QStringLiteral("--hang"), QStringLiteral("1"),
                        QStringLiteral("--grace"), QStringLiteral("0.5"), QStringLiteral("--metrics-file"),
                        QString::fromStdString(folder_.File("quendry.prom"))}));
    const long engine = EnginePid();
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), 6);
    const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("Server answering on 127.0.0.1:%1").arg(port_))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Server hung: no answer on port %1 for ").arg(port_))) << out.toStdString();
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    // The metrics file's last word: the hang, and a server that no longer runs.
    const std::string metrics = folder_.Read("quendry.prom");
    ExpectValidMetrics(metrics);
    const std::string labels = PlainLabels(Game(), port_);
    EXPECT_EQ(MetricSamples(metrics)["quendry_hangs_total" + labels], 1) << metrics;
    EXPECT_EQ(MetricSamples(metrics)["quendry_running" + labels], 0) << metrics;
}

TEST_F(ServerControlTest, InTheForegroundAHungServerGetsSIGTERMFirstAndTheHangTimeBeginsAfterTheStartCheck) {
    // An engine that stops answering and ends on SIGTERM: it is asked to end, not killed at the end of the grace.
    fs::remove(Record());
    WriteEngine("--answer-for 1 --term-exit 7", EngineWrapper::Child);
    QProcess hung;
    Start(hung, Run({QStringLiteral("--foreground"), QStringLiteral("--hang"), QStringLiteral("1"),
                     QStringLiteral("--grace"), QStringLiteral("10")}));
    ASSERT_TRUE(hung.waitForFinished(-1));
    EXPECT_EQ(hung.exitCode(), 6);
    const QString out = QString::fromLocal8Bit(hung.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("Server hung: no answer on port %1 for ").arg(port_))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Server killed after the grace period"))) << out.toStdString();

    // A server that never answers has the whole start check and then the hang time.
    fs::remove(Record());
    WriteEngine("--never-answer");
    QProcess silent;
    const auto begin = std::chrono::steady_clock::now();
    Start(silent, Run({QStringLiteral("--foreground"), QStringLiteral("--watch"), QStringLiteral("3"),
                       QStringLiteral("--hang"), QStringLiteral("1"), QStringLiteral("--grace"), QStringLiteral("1")}));
    ASSERT_TRUE(silent.waitForFinished(-1));
    EXPECT_EQ(silent.exitCode(), 6);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 4s);
}

TEST_F(ServerControlTest, InTheForegroundTheServiceManagerHearsReadyWatchdogAndStopping) {
    const std::string path = folder_.File("notify");
    const ServiceManagerSocket manager(path);
    WriteEngine("");
    QProcess quendry;
    StartForServiceManager(quendry, path, Run({QStringLiteral("--foreground")}), QStringLiteral("30000000"));
    const std::string ready = manager.Next();
    EXPECT_TRUE(ready.starts_with("READY=1\n")) << ready;
    EXPECT_NE(ready.find("STATUS=mp_harbor, dm, 1 player"), std::string::npos) << ready;
    const std::string watchdog = manager.Next();
    EXPECT_TRUE(watchdog.starts_with("WATCHDOG=1\n")) << watchdog;
    SignalOwnProcess(quendry.processId(), SIGTERM);
    std::string stopping;
    while (stopping.empty() || stopping.starts_with("WATCHDOG=1\n"))
        stopping = manager.Next();
    EXPECT_EQ(stopping, "STOPPING=1");
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), 0);
}

TEST_F(ServerControlTest, StopOfASupervisedServerAsksItsSupervisorWhichEndsAsAskedFor) {
    const std::string path = folder_.File("notify");
    const ServiceManagerSocket manager(path);
    WriteEngine("--term-exit 1", EngineWrapper::Child);
    QProcess supervisor;
    StartForServiceManager(supervisor, path, Run({QStringLiteral("--foreground")}));
    ASSERT_TRUE(manager.Next().starts_with("READY=1\n"));
    const long engine = EnginePid();
    const auto record = ReadServerRecord(ModPath(), Instance());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->supervisor, supervisor.processId());

    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_EQ(stop.out.front(), QStringLiteral("Server stopped (process %1)").arg(record->processId));
    ASSERT_TRUE(supervisor.waitForFinished(-1));
    EXPECT_EQ(supervisor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(supervisor.exitCode(), 0) << "a requested stop, not a crash for the service manager to mend";
    const QString out = QString::fromLocal8Bit(supervisor.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Stop asked for by process [0-9]+ \\(quendry\\)"))))
        << out.toStdString();
    std::string notice;
    while (notice != "STOPPING=1" && notice != "(nothing)")
        notice = manager.Next();
    EXPECT_EQ(notice, "STOPPING=1");
    EXPECT_FALSE(ProcessRuns(record->processId));
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerControlTest, InTheForegroundTheWatchdogIsFedTwiceInItsPeriodWhileAnswersComeAndNeverAfter) {
    const std::string path = folder_.File("notify");
    const ServiceManagerSocket manager(path);
    WriteEngine("--answer-for 4");
    QProcess quendry;
    StartForServiceManager(quendry, path, Run({QStringLiteral("--foreground")}), QStringLiteral("2000000"));
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> lastFed;
    Clock::duration longestGap{};
    int fed = 0;
    std::string notice;
    // Until the engine has stopped answering and two queries have said so.
    for (int silent = 0; silent < 2 && notice != "(nothing)";) {
        notice = manager.Next();
        if (notice.starts_with("WATCHDOG=1\n")) {
            EXPECT_EQ(silent, 0) << "fed after the answers stopped";
            const Clock::time_point now = Clock::now();
            if (lastFed)
                longestGap = std::max(longestGap, now - *lastFed);
            lastFed = now;
            ++fed;
        }
        silent += notice.starts_with("STATUS=not answering for ") ? 1 : 0;
    }
    EXPECT_GE(fed, 2);
    EXPECT_LT(longestGap, 2s) << "the watchdog's period went by without WATCHDOG=1";
    SignalOwnProcess(quendry.processId(), SIGTERM);
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), 0);
}

TEST_F(ServerControlTest, InTheForegroundAHangTimeShorterThanTheStatusIntervalKeepsAHealthyServer) {
    const std::string path = folder_.File("notify");
    const ServiceManagerSocket manager(path);
    WriteEngine("");
    QProcess quendry;
    StartForServiceManager(quendry, path,
                           Run({QStringLiteral("--foreground"), QStringLiteral("--hang"), QStringLiteral("2")}),
                           QStringLiteral("30000000"));
    // Each answer feeds the watchdog; a server taken for hung is stopped instead, long before five more answers.
    int answers = 0;
    std::string notice;
    while (answers < 5 && !notice.starts_with("STOPPING=1") && notice != "(nothing)") {
        notice = manager.Next();
        answers += notice.starts_with("WATCHDOG=1\n") ? 1 : 0;
    }
    EXPECT_EQ(answers, 5) << notice;
    SignalOwnProcess(quendry.processId(), SIGTERM);
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), 0) << quendry.readAllStandardOutput().toStdString();

    for (const char* tooShort : {"0", "0.5"}) {
        const Result run =
            Quendry(Run({QStringLiteral("--foreground"), QStringLiteral("--hang"), QString::fromLatin1(tooShort)}));
        EXPECT_EQ(run.exitCode, 2) << tooShort;
        EXPECT_TRUE(run.err.contains(QStringLiteral("--hang expects seconds from 1 to 3600"))) << run.err.toStdString();
    }
}

// An event command that appends the event's environment and its own two arguments to `record`, one event a line,
// and says so on its output; for the event `endless`, it writes its process id to `record`.pid and never ends.
std::string WriteEventCommand(const std::string& path, const std::string& record, const std::string& endless = "") {
    std::ofstream(path) << "#!/bin/sh\n"
                           "printf '%s|%s|%s|%s|%s|%s|%s|%s|%s\\n' \"$QUENDRY_EVENT\" \"$QUENDRY_INSTANCE\" "
                           "\"$QUENDRY_GAME\" \"$QUENDRY_ADDRESS\" \"$QUENDRY_MAP\" \"$QUENDRY_PLAYERS\" "
                           "\"$QUENDRY_DETAIL\" \"$1\" \"$2\" >> '"
                        << record << "'\necho \"told $QUENDRY_EVENT\"\n"
                        << (endless.empty() ? ""
                                            : "[ \"$QUENDRY_EVENT\" = " + endless + " ] && echo $$ > '" + record +
                                                  ".pid' && exec sleep 600\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

TEST_F(ServerControlTest, InTheForegroundEachEventRunsTheEventCommandAndIsPostedToTheWebhook) {
    const FakeHttpServer service(204);
    WriteEngine("");
    const std::string events = folder_.File("events");
    const std::string command = WriteEventCommand(folder_.File("on event"), events);
    // The metrics file tells what the supervisor saw, whatever it told the event command.
    const std::string metrics = folder_.File("quendry.prom");
    const std::string up = "quendry_up" + PlainLabels(Game(), port_);
    QProcess quendry;
    Start(quendry, Run({QStringLiteral("--foreground"), QStringLiteral("--hang"), QStringLiteral("9"),
                        QStringLiteral("--on-event"),
                        QStringLiteral("\"%1\" first \"two words\"").arg(QString::fromStdString(command)),
                        QStringLiteral("--webhook"), QString::fromStdString(service.Url()),
                        QStringLiteral("--metrics-file"), QString::fromStdString(metrics)}));
    ASSERT_TRUE(MetricOnceThere(metrics, up, 1, quendry));
    // The engine is busy for a while, then answers again.
    SignalOwnProcess(static_cast<pid_t>(EnginePid()), SIGUSR1);
    ASSERT_TRUE(MetricOnceThere(metrics, up, 0, quendry));
    SignalOwnProcess(static_cast<pid_t>(EnginePid()), SIGUSR2);
    ASSERT_TRUE(MetricOnceThere(metrics, up, 1, quendry));
    SignalOwnProcess(quendry.processId(), SIGTERM);
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());

    // The plain instance has no name.
    const QString facts =
        QStringLiteral("||%1|127.0.0.1:%2|mp_harbor|1|").arg(QString::fromStdString(Game())).arg(port_);
    const QStringList lines =
        QString::fromStdString(folder_.Read("events")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("ready") + facts + QStringLiteral("mp_harbor, dm, 1 player|first|two words"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^not-answering") + QRegularExpression::escape(facts) +
                                   QStringLiteral("no answer for [0-9.]+ s\\|first\\|two words$"))
                    .match(lines[1])
                    .hasMatch())
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("answering-again") + facts + QStringLiteral("after ")))
        << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("stopped") + facts + QStringLiteral("|first|two words"));
    // Its output goes to the log.
    for (const char* event : {"ready", "not-answering", "answering-again", "stopped"})
        EXPECT_TRUE(out.contains(QStringLiteral("Event command: told %1\n").arg(QLatin1String(event))))
            << event << out.toStdString();

    const std::vector<std::string> bodies = service.Bodies();
    ASSERT_EQ(bodies.size(), 4u);
    const QString server = QStringLiteral("Server on 127.0.0.1:%1 ").arg(port_);
    const QString expected[] = {server + QStringLiteral("is ready: mp_harbor, dm, 1 player"),
                                server + QStringLiteral("is not answering: no answer for "),
                                server + QStringLiteral("is answering again: after "),
                                server + QStringLiteral("was stopped as asked")};
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(bodies[i])).object();
        EXPECT_TRUE(body[QStringLiteral("content")].toString().startsWith(expected[i])) << bodies[i];
        EXPECT_EQ(body[QStringLiteral("text")], body[QStringLiteral("content")]) << bodies[i];
    }
}

TEST_F(ServerControlTest, InTheForegroundAnEventCommandThatNeverEndsHoldsUpNeitherTheHangRuleNorTheStop) {
    struct Case {
        const char* engine;
        QStringList options;
        bool signalled;
        int exitCode;
        const char* supervisorLine;
    };
    const Case cases[] = {
        {"--answer-for 1 --term-exit 1", {QStringLiteral("--hang"), QStringLiteral("1")}, false, 6, "Server hung: "},
        {"--term-exit 1", {}, true, 0, "Server stopped\n"},
    };
    for (const auto& [engine, options, signalled, exitCode, supervisorLine] : cases) {
        SCOPED_TRACE(supervisorLine);
        fs::remove(Record());
        const std::string events = folder_.File("events");
        fs::remove(events);
        fs::remove(events + ".pid");
        WriteEngine(engine);
        const std::string command = WriteEventCommand(folder_.File("on-event"), events, "ready");
        QProcess quendry;
        Start(quendry,
              Run(QStringList{QStringLiteral("--foreground"), QStringLiteral("--event-timeout"), QStringLiteral("8"),
                              QStringLiteral("--on-event"), QString::fromStdString(command)} +
                  options));
        ASSERT_EQ(LinesOnceThere(events, 1, quendry).size(), 1);
        if (signalled)
            SignalOwnProcess(quendry.processId(), SIGTERM);
        ASSERT_TRUE(quendry.waitForFinished(-1));
        EXPECT_EQ(quendry.exitCode(), exitCode);
        const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());
        // The supervisor decided while the command for "ready" still ran; the command was ended afterwards.
        const auto decided = out.indexOf(QLatin1String(supervisorLine));
        const auto ended = out.indexOf(QStringLiteral("for event ready was ended after its time limit (8 s)"));
        EXPECT_GE(decided, 0) << out.toStdString();
        EXPECT_GT(ended, decided) << out.toStdString();
        const long endless = std::stol(folder_.Read("events.pid"));
        EXPECT_FALSE(ProcessRuns(endless)) << "the command over its time limit was left running";
        if (ProcessRuns(endless))
            SignalOwnProcess(static_cast<pid_t>(endless), SIGKILL);
    }
}

TEST_F(ServerControlTest, InTheForegroundTheMetricsFileIsWrittenAndAFailingWebhookCostsALogLineOnly) {
    struct Case {
        std::optional<int> status;
        const char* failure;
    };
    const Case cases[] = {{500, "HTTP 500 (3 tries)"}, {std::nullopt, " (1 try)"}};
    const std::string metrics = folder_.File("quendry.prom");
    // The second supervisor goes on from the counts of the first one's file.
    double stops = 0;
    for (const auto& [status, failure] : cases) {
        SCOPED_TRACE(failure);
        const FakeHttpServer service(status);
        WriteEngine("--term-exit 1");
        QProcess quendry;
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("QUENDRY_WEBHOOK"), QString::fromStdString(service.Url()));
        Start(quendry,
              Run({QStringLiteral("--foreground"), QStringLiteral("--event-timeout"), QStringLiteral("1"),
                   QStringLiteral("--metrics-file"), QString::fromStdString(metrics)}),
              environment);
        const std::string labels = PlainLabels(Game(), port_);
        // Until the engine has answered a query.
        ASSERT_TRUE(MetricOnceThere(metrics, "quendry_up" + labels, 1, quendry));
        const std::string text = folder_.Read("quendry.prom");
        auto samples = MetricSamples(text);
        ExpectValidMetrics(text);
        EXPECT_EQ(samples["quendry_up" + labels], 1) << text;
        EXPECT_EQ(samples["quendry_players" + labels], 1) << text;
        EXPECT_EQ(samples["quendry_running" + labels], 1) << text;
        EXPECT_TRUE(samples.contains("quendry_process_start_time_seconds" + labels)) << text;
        EXPECT_EQ(samples["quendry_stops_requested_total" + labels], stops) << text;

        SignalOwnProcess(quendry.processId(), SIGTERM);
        ASSERT_TRUE(quendry.waitForFinished(-1));
        EXPECT_EQ(quendry.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());
        for (const char* event : {"ready", "stopped"})
            EXPECT_TRUE(
                QRegularExpression(QStringLiteral("\nWebhook post of event %1 failed: [^\n]*%2\n")
                                       .arg(QLatin1String(event), QRegularExpression::escape(QLatin1String(failure))))
                    .match(out)
                    .hasMatch())
                << out.toStdString();
        EXPECT_FALSE(service.Requests().empty());
        // At the end: the server no longer runs, and the stop is counted.
        const std::string last = folder_.Read("quendry.prom");
        ExpectValidMetrics(last);
        const auto ended = MetricSamples(last);
        EXPECT_EQ(ended.at("quendry_running" + labels), 0) << last;
        EXPECT_EQ(ended.at("quendry_up" + labels), 0) << last;
        EXPECT_EQ(ended.at("quendry_stops_requested_total" + labels), ++stops) << last;
    }
}

TEST_F(ServerControlTest, StopWarnSaysTheWarningsInOrderAtTheirPointsThenStops) {
    const std::string rconLog = folder_.File("rcon-log");
    WriteEngine("--rcon-password secret --rcon-log '" + rconLog + "'");
    const std::string noPassword = folder_.Write("no-password.ini", folder_.Read("settings.ini"));
    const std::string port = "L1=set net_port " + std::to_string(port_) + "\r\n";
    const std::string warnSettings = folder_.Write(
        "settings.ini", Replaced(folder_.Read("settings.ini"), port, port + "L2=set rcon_password secret\r\n"));
    ASSERT_EQ(Quendry(Run({})).exitCode, 0);
    const long engine = EnginePid();

    // Without a password: refused at once, nothing sent.
    const Result refused =
        Quendry(Stop() + QStringList{QStringLiteral("--warn"), QStringLiteral("2s"), QStringLiteral("--settings"),
                                     QString::fromStdString(noPassword)});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("no remote-console password is set"))) << refused.err.toStdString();
    EXPECT_TRUE(ProcessRuns(engine));
    EXPECT_FALSE(fs::exists(rconLog));

    // A restart warns the players of the running server before it replaces it.
    const Result restart = Quendry(Run({QStringLiteral("--restart"), QStringLiteral("--warn"), QStringLiteral("2s")}));
    EXPECT_EQ(restart.exitCode, 0) << restart.err.toStdString();
    EXPECT_TRUE(restart.out.contains(QStringLiteral("Players warned: say \"Server restarts in 2 seconds\"")))
        << restart.out.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(ProcessRuns(engine));
    const long restarted = EnginePid();
    EXPECT_TRUE(ProcessRuns(restarted));

    fs::remove(rconLog);
    const auto begin = std::chrono::steady_clock::now();
    const Result stop =
        Quendry(Stop() + QStringList{QStringLiteral("--warn"), QStringLiteral("12s"), QStringLiteral("--warn-message"),
                                     QStringLiteral("Back soon, {time} left"), QStringLiteral("--settings"),
                                     QString::fromStdString(warnSettings)});
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 12s);
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_EQ(stop.out.mid(0, 3), (QStringList{QStringLiteral("Players warned: say \"Back soon, 12 seconds left\""),
                                               QStringLiteral("Players warned: say \"Back soon, 10 seconds left\""),
                                               QStringLiteral("Server stopped (process %1)").arg(restarted)}));
    EXPECT_FALSE(ProcessRuns(restarted));
    const QStringList said =
        QString::fromStdString(folder_.Read("rcon-log")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(said.size(), 2);
    EXPECT_EQ(said[0].section(QLatin1Char(' '), 1), QStringLiteral("say \"Back soon, 12 seconds left\""));
    EXPECT_EQ(said[1].section(QLatin1Char(' '), 1), QStringLiteral("say \"Back soon, 10 seconds left\""));
    // The second warning comes when 10 s are left, not at once after the first.
    EXPECT_GE(said[1].section(QLatin1Char(' '), 0, 0).toLong() - said[0].section(QLatin1Char(' '), 0, 0).toLong(),
              1900);
}

// Status queries from other addresses (127.0.0.2 on), far more than the engine answers in all: 200 a second, each
// address within the engine's limit of one address, as a flood from many would come.
class StatusFlood {
public:
    explicit StatusFlood(int port) : thread_([this, port] { Send(port); }) {}
    ~StatusFlood() {
        stop_ = true;
        thread_.join();
    }
    StatusFlood(const StatusFlood&) = delete;
    StatusFlood& operator=(const StatusFlood&) = delete;

private:
    static constexpr int Senders = 50;

    void Send(int port) const {
        std::vector<int> sockets;
        for (int i = 0; i < Senders; ++i) {
            sockets.push_back(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
            sockaddr_in from{};
            from.sin_family = AF_INET;
            from.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1 + static_cast<std::uint32_t>(i));
            EXPECT_EQ(::bind(sockets.back(), reinterpret_cast<const sockaddr*>(&from), sizeof from), 0);
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const std::string query = "\xff\xff\xff\xffgetstatus\n";
        for (std::size_t next = 0; !stop_; next = (next + 1) % sockets.size()) {
            ::sendto(sockets[next], query.data(), query.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            std::this_thread::sleep_for(5ms);
        }
        for (const int socket : sockets)
            ::close(socket);
    }

    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

TEST_F(ServerControlTest, AFloodDoesNotStopAServerWhoseRemoteConsoleAnswersButAStoppedEngineIsStillHung) {
    const std::string portLine = "set net_port " + std::to_string(port_) + "\r\n";
    folder_.Write("settings.ini",
                  Replaced(folder_.Read("settings.ini"), portLine, portLine + "L2=set rcon_password secret\r\n"));
    WriteEngine("--rcon-password secret");
    QProcess quendry;
    Start(quendry, Run({QStringLiteral("--foreground"), QStringLiteral("--hang"), QStringLiteral("2"),
                        QStringLiteral("--grace"), QStringLiteral("1")}));
    ASSERT_TRUE(quendry.waitForStarted(-1));
    const long engine = EnginePid();
    QString out;
    ReadUntil(quendry, out, QStringLiteral("Server answering on"));
    {
        const StatusFlood flood(port_);
        // The status queries starve for the hang time, and the remote console vouches for the engine.
        ReadUntil(quendry, out, QStringLiteral("the remote console answers: the server is busy, not hung"));
        EXPECT_TRUE(out.contains(QRegularExpression(
            QStringLiteral("Status queries unanswered for [0-9.]+ s; the remote console answers: the server is busy, "
                           "not hung"))))
            << out.toStdString();
        ASSERT_EQ(quendry.state(), QProcess::Running) << out.toStdString();
        // A stopped engine answers nothing, its remote console neither: hung, flood or not.
        SignalOwnProcess(static_cast<pid_t>(engine), SIGSTOP);
        ASSERT_TRUE(quendry.waitForFinished(-1));
    }
    out += QString::fromLocal8Bit(quendry.readAllStandardOutput());
    EXPECT_EQ(quendry.exitCode(), 6) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("; its process %1 is stopped").arg(engine))) << out.toStdString();
    EXPECT_FALSE(ProcessRuns(engine));
}

TEST_F(ServerControlTest, APortHeldByAnotherProgramRefusesTheRunBeforeAnythingIsWritten) {
    QProcess holder;
    const long holderId = HoldPort(holder);
    WriteEngine("");

    const Result run = Quendry(Run({}));
    EXPECT_EQ(run.exitCode, 4) << run.err.toStdString();
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("Port %1 is held by process %2 (stand_in_engine) of another game folder")
                             .arg(port_)
                             .arg(holderId)))
        << run.err.toStdString();
    EXPECT_FALSE(fs::exists(ModPath())) << "nothing is written for a start that cannot be";
    EXPECT_FALSE(fs::exists(Record()));
    SignalOwnProcess(static_cast<pid_t>(holderId), SIGKILL);
    holder.waitForFinished(-1);
}

TEST_F(ServerControlTest, AnEngineThatMovedToTheNextPortIsNeverTakenForTheOneThatAnswersOnItsOwn) {
    const std::string holderRecord = WriteEngineThatFindsItsPortTaken();
    const Result run = Quendry(Run({QStringLiteral("--watch"), QStringLiteral("5")}));
    const long holderId = RecordedProcess(holderRecord);
    const int moved = EnginePort();
    EXPECT_NE(moved, port_);
    EXPECT_EQ(run.exitCode, 5) << run.out.join(u'\n').toStdString();
    const QString log = run.out.join(u'\n');
    EXPECT_FALSE(log.contains(QStringLiteral("Server answering on"))) << log.toStdString();
    EXPECT_TRUE(log.contains(
        QStringLiteral("The server answers on 127.0.0.1:%1, not on %2: port %2 was taken").arg(moved).arg(port_)))
        << log.toStdString();
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
    EXPECT_TRUE(ProcessRuns(holderId)) << "the other server is not this game folder's to stop";
    SignalOwnProcess(static_cast<pid_t>(holderId), SIGKILL);
}

TEST_F(ServerControlTest, InTheForegroundAnEngineThatMovedToTheNextPortIsStoppedAndNeverReady) {
    const std::string path = folder_.File("notify");
    const ServiceManagerSocket manager(path);
    const std::string holderRecord = WriteEngineThatFindsItsPortTaken();
    QProcess quendry;
    StartForServiceManager(quendry, path,
                           Run({QStringLiteral("--foreground"), QStringLiteral("--watch"), QStringLiteral("5")}));
    ASSERT_TRUE(quendry.waitForFinished(-1));
    const long holderId = RecordedProcess(holderRecord);
    const QString out = QString::fromLocal8Bit(quendry.readAllStandardOutput());
    EXPECT_EQ(quendry.exitCode(), 4) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("The server answers on 127.0.0.1:%1, not on %2: port %2 was taken")
                                 .arg(EnginePort())
                                 .arg(port_)))
        << out.toStdString();
    EXPECT_EQ(manager.Next(), "STOPPING=1") << "never READY=1 for another program's answers";
    EXPECT_FALSE(ProcessRuns(EnginePid()));
    EXPECT_TRUE(ProcessRuns(holderId));
    SignalOwnProcess(static_cast<pid_t>(holderId), SIGKILL);
}

TEST_F(ServerControlTest, AnEngineThatItsStartScriptPutInTheBackgroundIsTrackedShownAndStoppedWhole) {
    WriteEngine("", EngineWrapper::Background);
    const Result run = Quendry(Run({QStringLiteral("--watch"), QStringLiteral("60")}));
    EXPECT_EQ(run.exitCode, 0) << run.out.join(u'\n').toStdString();
    const long engine = EnginePid();
    const QString log = run.out.join(u'\n');
    EXPECT_TRUE(log.contains(QStringLiteral("The start script ended; its server runs on as process %1").arg(engine)))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Server answering on 127.0.0.1:%1").arg(port_))) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Server stopped at start"))) << log.toStdString();
    ASSERT_TRUE(ReadServerRecord(ModPath(), Instance()));
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance())->processId, engine);

    const Result status = Quendry(
        {QStringLiteral("status"), QStringLiteral("--game"), QString::fromStdString(Game()), QStringLiteral("--all")});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_TRUE(status.out.join(u'\n').contains(QStringLiteral("mp_harbor"))) << status.out.join(u'\n').toStdString();

    // A second Run does not take the running server's answers for its own.
    const Result second = Quendry(Run({}));
    EXPECT_EQ(second.exitCode, 4) << second.err.toStdString();

    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerControlTest, InTheForegroundAnEngineInTheBackgroundKeepsTheSupervisorUntilItEnds) {
    WriteEngine("--term-exit 3", EngineWrapper::Background);
    QProcess quendry;
    Start(quendry, Run({QStringLiteral("--foreground")}));
    ASSERT_TRUE(quendry.waitForStarted(-1));
    const long engine = EnginePid();
    QString out;
    ReadUntil(quendry, out, QStringLiteral("Server answering on"));
    EXPECT_TRUE(out.contains(QStringLiteral("The start script ended; its server runs on as process %1").arg(engine)))
        << out.toStdString();
    ASSERT_EQ(quendry.state(), QProcess::Running);
    // The engine ends by itself: the supervisor, which took it in, hears its code.
    SignalOwnProcess(static_cast<pid_t>(engine), SIGTERM);
    ASSERT_TRUE(quendry.waitForFinished(-1));
    EXPECT_EQ(quendry.exitCode(), 3) << out.toStdString();
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerControlTest, StopRefusesAProcessThatIsNotTheServer) {
    QProcess other;
    other.setWorkingDirectory(QString::fromStdString(Game()));
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    fs::create_directories(ModPath());
    const auto id = static_cast<pid_t>(other.processId());
    WriteServerRecord(ModPath(), Instance(),
                      {id, ProcessStartTime(id).value() + 1, folder_.File("game/cod_lnxded"), Parameters(port_)});
    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_TRUE(stop.err.contains(QStringLiteral("process %1 is not the server (it started at another time than the "
                                                 "recorded server); nothing was sent")
                                      .arg(id)))
        << stop.err.toStdString();
    QTest::qWait(100);
    EXPECT_EQ(other.state(), QProcess::Running);
    other.kill();
    other.waitForFinished();
}

TEST_F(ServerControlTest, StopOfAServerThatHadEndedSaysSoRemovesTheRecordAndExitsOne) {
    QProcess ended;
    ended.setWorkingDirectory(QString::fromStdString(Game()));
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const auto id = static_cast<pid_t>(ended.processId());
    const std::uint64_t startTime = ProcessStartTime(id).value_or(1);
    ASSERT_TRUE(ended.waitForFinished(-1));
    fs::create_directories(ModPath());
    WriteServerRecord(ModPath(), Instance(), {id, startTime, folder_.File("game/cod_lnxded"), Parameters(port_)});
    const Result stop = Quendry(Stop());
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_TRUE(stop.err.contains(QStringLiteral("had ended"))) << stop.err.toStdString();
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerControlTest, AnUnreadableRecordBlocksTheRunSaysHowToClearItAndStopForgetClearsIt) {
    fs::create_directories(ModPath());
    const std::string record = folder_.Write(ServerPidFile(ModPath(), Instance()), "garbage\n");
    const Result run = Quendry(Run({}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("; when no server of this game folder runs, remove it with: quendry "
                                                "stop --forget --game %1")
                                     .arg(QString::fromStdString(Game()))))
        << run.err.toStdString();

    const Result forget = Quendry(Stop() << QStringLiteral("--forget"));
    EXPECT_EQ(forget.exitCode, 0) << forget.err.toStdString();
    EXPECT_EQ(forget.out.front(), QStringLiteral("Removed %1").arg(QString::fromStdString(record)));
    EXPECT_FALSE(fs::exists(record));
    EXPECT_EQ(Quendry(Stop() << QStringLiteral("--forget")).exitCode, 1) << "nothing left to forget";

    // A record whose server runs is kept.
    WriteEngine("");
    ASSERT_EQ(Quendry(Run({})).exitCode, 0);
    const Result kept = Quendry(Stop() << QStringLiteral("--forget"));
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_TRUE(kept.err.contains(QStringLiteral("the record is kept: stop the server instead")))
        << kept.err.toStdString();
    EXPECT_TRUE(fs::exists(record));
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
}

TEST_F(ServerControlTest, WhileTheServerRunsStatusAsksThePortItWasStartedWithNotALaterOne) {
    WriteEngine("");
    ASSERT_EQ(Quendry(Run({})).exitCode, 0);
    // A Run without a launch writes another port into advanced.cfg while the server goes on where it is.
    const int later = FreeUdpPort();
    std::string settings = folder_.Read("settings.ini");
    folder_.Write("settings.ini",
                  Replaced(settings, "set net_port " + std::to_string(port_), "set net_port " + std::to_string(later)));
    ASSERT_EQ(Quendry(Run({QStringLiteral("--no-launch")})).exitCode, 0);
    ASSERT_NE(folder_.Read("game/BriselaMOD_v2/advanced.cfg").find("net_port " + std::to_string(later)),
              std::string::npos);
    const QStringList status = {QStringLiteral("status"), QStringLiteral("--game"), QString::fromStdString(Game())};
    const Result asked = Quendry(QStringList(status) << QStringLiteral("--json"));
    EXPECT_EQ(asked.exitCode, 0) << asked.err.toStdString();
    EXPECT_TRUE(asked.out.front().contains(QStringLiteral("\"127.0.0.1:%1\"").arg(port_)))
        << asked.out.front().toStdString();
    const Result all = Quendry(QStringList(status) << QStringLiteral("--all"));
    EXPECT_TRUE(all.out.front().contains(QStringLiteral("127.0.0.1:%1").arg(port_))) << all.out.front().toStdString();
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
    // Once it has stopped, the advanced lines tell.
    EXPECT_TRUE(Quendry(status).err.contains(QStringLiteral("127.0.0.1:%1").arg(later)));
}

TEST_F(ServerControlTest, LaunchOptionsThatCannotBeUsedAreUsageErrors) {
    const QStringList wrong[] = {
        {QStringLiteral("--watch"), QStringLiteral("-1")},
        {QStringLiteral("--watch"), QStringLiteral("3s")},
        {QStringLiteral("--watch"), QStringLiteral("3601")},
        {QStringLiteral("--foreground"), QStringLiteral("--no-launch")},
        {QStringLiteral("--hang"), QStringLiteral("10")},
        {QStringLiteral("--grace"), QStringLiteral("10")},
        {QStringLiteral("--foreground"), QStringLiteral("--hang"), QStringLiteral("x")},
        {QStringLiteral("--metrics-file"), QStringLiteral("metrics.prom")},
        {QStringLiteral("--on-event"), QStringLiteral("true")},
        {QStringLiteral("--webhook"), QStringLiteral("http://127.0.0.1:1/")},
        {QStringLiteral("--foreground"), QStringLiteral("--event-timeout"), QStringLiteral("0.5")},
        {QStringLiteral("--warn"), QStringLiteral("2s")},
        {QStringLiteral("--restart"), QStringLiteral("--warn"), QStringLiteral("2x")},
        {QStringLiteral("--restart"), QStringLiteral("--warn"), QStringLiteral("2h")},
        {QStringLiteral("--restart"), QStringLiteral("--warn-message"), QStringLiteral("hi")},
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
    StartResult started = StartServer({server, Parameters(port_), ModPath()}, ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    WaitForFile(Record());

    QProcess stop;
    stop.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                      QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                                      QString::fromStdString(folder_.File("program/quendry"))} +
                                              Stop());
    ASSERT_TRUE(stop.waitForFinished(-1));
    EXPECT_EQ(stop.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(stop.readAllStandardError())
                    .contains(QStringLiteral("belongs to another user and may not be stopped by this one")));
    EXPECT_TRUE(ProcessRuns(started.server->process.Id()));
    EXPECT_TRUE(fs::exists(ServerPidFile(ModPath(), Instance())));
    StopSession(started.server->process, started.server->session, 5s);
    started.server->process.Reap();
}

// The window keeps the server it started: File > Stop server and Restart server, and a question on closing.
class ServerWindowTest : public ServerControlTest {
protected:
    void SetUp() override {
        ServerControlTest::SetUp();
        SetProgramFolderOverride(folder_.File("program"));
        program_ = std::make_unique<TProgram>();
        form_ = &program_->MainForm();
        form_->ServerProcess().SetPeriods(60s, 2s);
        WriteEngine("--term-exit 1", EngineWrapper::Child);
    }
    // The window's game folder is the one of the servers it starts.
    void OpenGameFolder() {
        form_->Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QString::fromStdString(Game()));
    }
    void TearDown() override {
        if (form_->ServerProcess().Running())
            form_->ServerProcess().Stop();
        program_.reset();
        ChooseWindowInstance(Instance());
        SetProgramFolderOverride(std::nullopt);
    }

    QAction* Action(const char* name) const { return form_->findChild<QAction*>(QString::fromLatin1(name)); }
    pid_t StartServer() {
        OpenGameFolder();
        fs::remove(Record());
        fs::create_directories(ModPath());
        form_->ServerProcess().Start({folder_.File("game/cod_lnxded"), Parameters(port_), ModPath()});
        WaitForFile(Record());
        return ReadServerRecord(ModPath(), Instance())->processId;
    }
    QLabel* StatusLine() const { return form_->Find<QLabel>(QStringLiteral("LabelStatus")); }
    bool StatusShown() const {
        return QTest::qWaitFor(
            [&] { return StatusLine()->text() == QStringLiteral("Server status : Stand-in, mp_harbor, dm, 1 player"); },
            60000);
    }

    ScriptedQuestions questions_;
    std::unique_ptr<TProgram> program_;
    TMainForm* form_ = nullptr;
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
    const long firstEngine = EnginePid();
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_TRUE(restart->isEnabled());
    fs::remove(Record());
    restart->trigger();
    const pid_t second = ReadServerRecord(ModPath(), Instance())->processId;
    const long secondEngine = EnginePid();
    EXPECT_NE(second, first);
    EXPECT_FALSE(ProcessRuns(first));
    EXPECT_FALSE(ProcessRuns(firstEngine));
    EXPECT_TRUE(ProcessRuns(second));

    stop->trigger();
    EXPECT_FALSE(ProcessRuns(second));
    EXPECT_FALSE(ProcessRuns(secondEngine));
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(restart->isEnabled());
    EXPECT_TRUE(questions_.errors.isEmpty());
}

TEST_F(ServerWindowTest, ARunWithAPortInTheAdvancedLinesListensAndIsAskedThere) {
    // The settings set the port in the advanced lines.
    form_->LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
    OpenGameFolder();
    form_->show();
    EXPECT_EQ(StatusLine()->text(), QString()); // the line keeps its place, empty

    EXPECT_EQ(form_->RunFromWindow(), RunOutcome::Launched);
    EXPECT_EQ(EnginePort(), port_);
    EXPECT_TRUE(StatusShown()) << StatusLine()->text().toStdString();
    const QString log = form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))->toPlainText();
    EXPECT_TRUE(log.contains(QStringLiteral("Server port : %1 (from the advanced lines)").arg(port_)));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))
                ->toPlainText()
                .contains(QStringLiteral("Server answering on 127.0.0.1:%1 after ").arg(port_));
        },
        60000));

    Action("StopServer1")->trigger();
    EXPECT_EQ(StatusLine()->text(), QString()); // the line keeps its place, empty
}

// The line under the run log starts from the start check's answer: a query refused while the engine opens its
// socket is no failure to show.
TEST_F(ServerWindowTest, TheStatusLineCountsTheStartThenShowsTheStartChecksAnswer) {
    form_->LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
    OpenGameFolder();
    form_->show();
    auto* log = form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"));
    QStringList shown; // each text the line showed, in turn
    const auto record = [&] {
        if (shown.isEmpty() || shown.back() != StatusLine()->text())
            shown << StatusLine()->text();
    };
    EXPECT_EQ(form_->RunFromWindow(), RunOutcome::Launched);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            record();
            return log->toPlainText().contains(QStringLiteral("Server answering on 127.0.0.1:%1 after ").arg(port_));
        },
        60000));
    record();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.front(), QStringLiteral("Server status : starting (0 s)"));
    EXPECT_EQ(shown.back(), QStringLiteral("Server status : Stand-in, mp_harbor, dm, 1 player"));
    for (const QString& line : shown)
        EXPECT_TRUE(line.startsWith(QStringLiteral("Server status : starting (")) || line == shown.back())
            << line.toStdString();
    // The log says what it waits for right after the launch, and the outcome follows.
    const QStringList lines = log->toPlainText().split(u'\n');
    const qsizetype launched = lines.indexOf(QStringLiteral("Launch server : 42"));
    ASSERT_GE(launched, 0) << log->toPlainText().toStdString();
    EXPECT_EQ(lines.value(launched + 1),
              QStringLiteral("Waiting for the server to answer on 127.0.0.1:%1 \u2026").arg(port_));
    EXPECT_TRUE(lines.value(launched + 2).startsWith(QStringLiteral("Server answering on ")))
        << log->toPlainText().toStdString();
}

// Fifteen seconds of silence say what they wait for: the log's line, and the seconds counted in the status line.
TEST_F(ServerWindowTest, WhileTheServerHasNotAnsweredTheStatusLineCountsTheSeconds) {
    WriteEngine("--never-answer");
    form_->LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
    OpenGameFolder();
    form_->show();
    EXPECT_EQ(form_->RunFromWindow(), RunOutcome::Launched);
    for (const char* seconds : {"1", "2"})
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return StatusLine()->text() ==
                       QStringLiteral("Server status : starting (%1 s)").arg(QLatin1String(seconds));
            },
            60000))
            << StatusLine()->text().toStdString();
    EXPECT_TRUE(
        form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))
            ->toPlainText()
            .endsWith(QStringLiteral("Launch server : 42\nWaiting for the server to answer on 127.0.0.1:%1 \u2026")
                          .arg(port_)));
    EXPECT_TRUE(questions_.warnings.isEmpty());
    Action("StopServer1")->trigger();
    EXPECT_EQ(StatusLine()->text(), QString());
    EXPECT_TRUE(form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))
                    ->toPlainText()
                    .endsWith(QStringLiteral("\nServer stopped")));
}

// A server that runs but does not answer may answer later: a warning. One that ended will not: an error.
TEST_F(ServerWindowTest, AFailedStartIsToldInABoxOfItsWeightWithTheLastOutput) {
    WriteEngine("--never-answer");
    form_->ServerProcess().SetPeriods(1s, 2s);
    StartServer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !questions_.warnings.isEmpty(); }, 60000));
    ASSERT_EQ(questions_.warnings.size(), 1);
    const QString silent = QStringLiteral("Server runs but does not answer on port %1").arg(port_);
    EXPECT_TRUE(questions_.warnings.front().startsWith(silent + QStringLiteral("\n\n")));
    EXPECT_TRUE(questions_.warnings.front().contains(QStringLiteral("ERROR: Couldn't load the map")));
    EXPECT_TRUE(form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))->toPlainText().endsWith(silent));
    EXPECT_TRUE(form_->ServerProcess().Running());
    EXPECT_TRUE(questions_.messages.isEmpty());
    EXPECT_TRUE(questions_.errors.isEmpty());
    form_->ServerProcess().Stop();

    WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "no map\n", 1);
    form_->ServerProcess().SetPeriods(60s, 2s);
    StartServer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !questions_.errors.isEmpty(); }, 60000));
    ASSERT_EQ(questions_.errors.size(), 1);
    EXPECT_TRUE(questions_.errors.front().startsWith(QStringLiteral("Server stopped at start (exit code 1)\n\n")))
        << questions_.errors.front().toStdString();
    EXPECT_EQ(questions_.warnings.size(), 1);
    EXPECT_TRUE(questions_.messages.isEmpty());
}

TEST_F(ServerWindowTest, AWindowOpenedLaterShowsAndStopsTheServerOfItsGameFolder) {
    const Result run = Quendry(Run({}));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const long server = ReadServerRecord(ModPath(), Instance())->processId;
    const long engine = EnginePid();
    form_->show();
    QAction* stop = Action("StopServer1");
    EXPECT_FALSE(stop->isEnabled());

    OpenGameFolder();
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_TRUE(Action("RestartServer1")->isEnabled());
    EXPECT_TRUE(StatusShown()) << StatusLine()->text().toStdString();

    // Run asks before it replaces it; No ends the Run with a line.
    questions_.yesNo = {false};
    form_->ButtonRunClick();
    EXPECT_EQ(questions_.asked.size(), 1);
    EXPECT_TRUE(form_->Find<QPlainTextEdit>(QStringLiteral("MemoLog"))
                    ->toPlainText()
                    .endsWith(QStringLiteral("Run : not started, the server of this game folder still runs")));
    EXPECT_TRUE(ProcessRuns(server));

    stop->trigger();
    EXPECT_FALSE(ProcessRuns(server));
    EXPECT_FALSE(ProcessRuns(engine));
    EXPECT_EQ(StatusLine()->text(), QString()); // the line keeps its place, empty
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    EXPECT_TRUE(questions_.errors.isEmpty());
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
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance())->processId, left);
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::Stopped);

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

TEST_F(ServerWindowTest, AWindowOfAnInstanceIsToldWhoHoldsItsPortAndWritesNothing) {
    const Result plain = Quendry(Run({}));
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const pid_t server = ReadServerRecord(ModPath(), Instance())->processId;
    program_.reset();
    ChooseWindowInstance(*Instance::Named("clan"));
    program_ = std::make_unique<TProgram>();
    form_ = &program_->MainForm();
    form_->LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
    OpenGameFolder();
    form_->ButtonRunClick();
    ASSERT_EQ(questions_.messages.size(), 1);
    EXPECT_TRUE(questions_.messages[0].startsWith(
        QStringLiteral("Port %1 is in use by the server without an instance of this game folder (process %2)")
            .arg(port_)
            .arg(server)))
        << questions_.messages[0].toStdString();
    for (const char* name : {"advanced-clan.cfg", "standard-clan.cfg", "server-clan.pid", "server-clan.log"})
        EXPECT_FALSE(fs::exists(folder_.File(std::string("game/BriselaMOD_v2/") + name))) << name;
    EXPECT_FALSE(form_->ServerProcess().Running());
    EXPECT_TRUE(ProcessRuns(server));
    EXPECT_EQ(Quendry(Stop()).exitCode, 0);
}

TEST_F(ServerWindowTest, AWindowIsToldWhichProgramHoldsItsPortAndWritesNothing) {
    QProcess holder;
    const long holderId = HoldPort(holder);
    form_->LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
    OpenGameFolder();
    form_->ButtonRunClick();
    ASSERT_EQ(questions_.messages.size(), 1);
    EXPECT_EQ(questions_.messages[0],
              QStringLiteral("Port %1 is held by process %2 (stand_in_engine) of another game folder")
                  .arg(port_)
                  .arg(holderId));
    EXPECT_FALSE(fs::exists(ModPath())) << "nothing is written for a start that cannot be";
    EXPECT_FALSE(form_->ServerProcess().Running());
    SignalOwnProcess(static_cast<pid_t>(holderId), SIGKILL);
    holder.waitForFinished(-1);
}

} // namespace
