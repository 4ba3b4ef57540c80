// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerStart.h"

#include "platform/Process.h"
#include "server/ServerFiles.h"
#include "server/ServerStop.h"
#include "support/ElfProgram.h"
#include "support/FakeServer.h"
#include "support/OwnProcesses.h"
#include "support/TestFolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <elf.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ServerStartTest : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(ModPath()); }
    void TearDown() override {
        unsetenv("QUENDRY_EXE_RUNNER");
        for (pid_t process : leftOver_)
            SignalOwnProcess(process, SIGKILL);
    }

    std::string Game() const { return folder_.File("game"); }
    std::string ModPath() const { return folder_.File("game/BriselaMOD_v2"); }
    std::string Record() const { return folder_.File("record"); }
    std::string Parameters(int dedicated = 2) const {
        return "+set dedicated " + std::to_string(dedicated) + " +set fs_game BriselaMOD_v2 +set net_port " +
               std::to_string(port_) + " +exec advanced.cfg +exec standard.cfg";
    }
    std::string RecordedArguments() const {
        return "+set\ndedicated\n2\n+set\nfs_game\nBriselaMOD_v2\n+set\nnet_port\n" + std::to_string(port_) +
               "\n+exec\nadvanced.cfg\n+exec\nstandard.cfg\n";
    }
    ServerLaunch Launch(const std::string& executable, int dedicated = 2) const {
        return {executable, Parameters(dedicated), ModPath()};
    }
    // Starts the stand-in engine through the game folder's script; waits until its socket is open.
    StartedServer StartEngine(const std::string& options, EngineWrapper wrapper) {
        const std::string script =
            WriteEngineScript(folder_.File("game/cod_lnxded"), options + " --record '" + Record() + "'", wrapper);
        StartResult started = StartServer(Launch(script), ServerOutput::LogFile);
        EXPECT_TRUE(started.server);
        leftOver_.push_back(started.server->process.Id());
        // The engine writes its record once it runs; one that never started has nothing left to end.
        if (const pid_t engine = EnginePid(); engine > 0)
            leftOver_.push_back(engine);
        return std::move(*started.server);
    }
    pid_t EnginePid() const {
        std::istringstream record(WaitForFile(Record()));
        long id = 0;
        record >> id;
        return static_cast<pid_t>(id);
    }
    // A process that is not the server, in `folder`.
    std::unique_ptr<QProcess> OtherProcess(const std::string& folder) {
        auto other = std::make_unique<QProcess>();
        other->setWorkingDirectory(QString::fromStdString(folder));
        other->start(QStringLiteral("sleep"), {QStringLiteral("30")});
        EXPECT_TRUE(other->waitForStarted());
        return other;
    }

    struct RefusalCase {
        const char* what;
        std::string folder;  // the process's working folder
        std::int64_t offset; // added to its start time in the record
        bool foreignRecord;  // server.pid belongs to another user
        std::string reason;
    };
    // A process that is not the server, recorded as it in server.pid, is refused and left alone.
    void ExpectRefused(const RefusalCase& refusal) {
        SCOPED_TRACE(refusal.what);
        const auto other = OtherProcess(refusal.folder);
        const auto id = static_cast<pid_t>(other->processId());
        WriteServerRecord(
            ModPath(), Instance(),
            {id, static_cast<std::uint64_t>(static_cast<std::int64_t>(ProcessStartTime(id).value()) + refusal.offset),
             folder_.File("game/cod_lnxded"), Parameters()});
        if (refusal.foreignRecord) {
            ASSERT_EQ(::chown(ServerPidFile(ModPath(), Instance()).c_str(), 65534, 65534), 0);
        }
        const StopReport report = StopRecordedServer(ModPath(), Instance(), 5s);
        EXPECT_EQ(report.outcome, StopOutcome::Refused);
        EXPECT_EQ(report.reason, refusal.reason);
        EXPECT_TRUE(ProcessRuns(id));
        EXPECT_TRUE(fs::exists(ServerPidFile(ModPath(), Instance())));
        EXPECT_FALSE(FindServer(ModPath(), Instance()).InTheWay());
        other->kill();
        other->waitForFinished();
    }

    TestFolder folder_;
    int port_ = FreeUdpPort();
    std::vector<pid_t> leftOver_;
    std::vector<std::string> log_;
    LogSink log = [this](const std::string& line) { log_.push_back(line); };
};

TEST_F(ServerStartTest, AServerThatEndsAtOnceIsReportedWithTheOutputOfThisStartAndTheFailureLast) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "loading\nbad map\n", 1);
    folder_.Write("game/BriselaMOD_v2/server.log", "an earlier start\n");
    StartResult started = StartServer(Launch(server), ServerOutput::LogFile);
    ASSERT_EQ(started.code, ShellOpenStarted);
    ASSERT_TRUE(started.server);
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + RecordedArguments());

    EXPECT_EQ(CheckServerStart(*started.server, 30s, log), StartCheck::Ended);
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.back(), "Server stopped at start (exit code 1)");
    // Standard output and error both go to server.log, in no fixed order between the two.
    EXPECT_EQ(std::multiset<std::string>(log_.begin(), log_.end() - 1),
              (std::multiset<std::string>{"server.log : loading", "server.log : bad map", "server.log : to stderr"}));
    EXPECT_TRUE(folder_.Read("game/BriselaMOD_v2/server.log").starts_with("an earlier start\n"));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerStartTest, TheCheckWaitsForTheFirstStatusAnswerOnThePortOfTheCommandLine) {
    StartedServer server = StartEngine("", EngineWrapper::Exec);
    const pid_t id = server.process.Id();
    // The wrapper execs the engine: one process, known by its id and start time.
    EXPECT_EQ(EnginePid(), id);
    EXPECT_EQ(ReadServerRecord(ModPath(), Instance()),
              (ServerRecord{id, ProcessStartTime(id).value(), folder_.File("game/cod_lnxded"), Parameters()}));
    // The server runs in a session of its own, so a terminal's signals do not reach it.
    EXPECT_EQ(::getsid(id), id);

    EXPECT_EQ(CheckServerStart(server, 60s, log), StartCheck::Answering);
    ASSERT_EQ(log_.size(), 1u);
    const std::string prefix = "Server answering on 127.0.0.1:" + std::to_string(port_) + " after ";
    EXPECT_TRUE(log_[0].starts_with(prefix) && log_[0].ends_with(" s (mp_harbor, dm)")) << log_[0];

    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::Stopped);
    EXPECT_FALSE(ProcessRuns(id));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerStartTest, ARealEnginesReplyNamesItsMapAndGametype) {
    StartedServer server = StartEngine("--reply '" + RecordedEngineReplyFile() + "'", EngineWrapper::Exec);
    EXPECT_EQ(CheckServerStart(server, 60s, log), StartCheck::Answering);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_TRUE(log_[0].ends_with(" s (aggressor, 0)")) << log_[0];
    StopRecordedServer(ModPath(), Instance(), 5s);
}

TEST_F(ServerStartTest, AServerThatLivesButNeverAnswersIsSilentAndKeepsRunning) {
    StartedServer server = StartEngine("--never-answer", EngineWrapper::Exec);
    EXPECT_EQ(CheckServerStart(server, 1500ms, log), StartCheck::Silent);
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.back(), "Server runs but does not answer on port " + std::to_string(port_));
    EXPECT_NE(
        std::find(log_.begin(), log_.end(), "server.log : ERROR: Couldn't load the map: the server will not answer"),
        log_.end());
    EXPECT_TRUE(ProcessRuns(server.process.Id()));
    EXPECT_TRUE(fs::exists(ServerPidFile(ModPath(), Instance())));
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::Stopped);
}

TEST_F(ServerStartTest, WithoutADedicatedServerTheCheckOnlyWatchesThatItLives) {
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    StartResult started = StartServer(Launch(server, 0), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    leftOver_.push_back(started.server->process.Id());
    EXPECT_EQ(CheckServerStart(*started.server, 300ms, log), StartCheck::Running);
    EXPECT_EQ(log_, std::vector<std::string>{"Server running after 0.3 s (process " +
                                             std::to_string(started.server->process.Id()) + ")"});
    EXPECT_EQ(CheckServerStart(*started.server, 0ms, log), StartCheck::Skipped);
    EXPECT_EQ(log_.size(), 1u);
}

TEST_F(ServerStartTest, AStopEndsTheWrapperAndTheEngineItStarted) {
    struct StopCase {
        const char* what;
        const char* options;
        StopOutcome outcome;
    };
    const StopCase cases[] = {
        {"an engine that ends on SIGTERM", "--term-exit 1", StopOutcome::Stopped},
        {"an engine that ignores SIGTERM", "--ignore-term", StopOutcome::Killed},
    };
    for (const auto& [what, options, outcome] : cases) {
        SCOPED_TRACE(what);
        fs::remove(Record());
        StartedServer server = StartEngine(options, EngineWrapper::Child);
        const pid_t engine = EnginePid();
        ASSERT_NE(engine, server.process.Id());
        const auto begin = std::chrono::steady_clock::now();
        const StopReport report = StopRecordedServer(ModPath(), Instance(), 500ms);
        EXPECT_EQ(report.outcome, outcome);
        if (outcome == StopOutcome::Killed) {
            EXPECT_GE(std::chrono::steady_clock::now() - begin, 500ms);
        }
        EXPECT_FALSE(ProcessRuns(server.process.Id()));
        EXPECT_FALSE(ProcessRuns(engine));
        EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    }
}

TEST_F(ServerStartTest, ARunningServersRecordIsNeverReplacedByAnotherStart) {
    StartedServer server = StartEngine("", EngineWrapper::Exec);
    const std::string record = folder_.Read(ServerPidFile(ModPath(), Instance()));
    const std::string other = WriteFakeServer(folder_.File("game/other"), folder_.File("other-record"), "", 0);
    EXPECT_THROW(StartServer(Launch(other), ServerOutput::LogFile), std::runtime_error);
    EXPECT_EQ(folder_.Read(ServerPidFile(ModPath(), Instance())), record);
    EXPECT_FALSE(fs::exists(folder_.File("other-record")));
    EXPECT_EQ(FindServer(ModPath(), Instance()).state, FoundServer::Running);
    StopRecordedServer(ModPath(), Instance(), 5s);
}

TEST_F(ServerStartTest, AnotherInstancesLiveServerHoldsItsPortWhateverTheAgeOfItsRecord) {
    const Instance clan = *Instance::Named("clan");
    const Instance pub = *Instance::Named("pub");
    // A plain server recorded with no network settings on its command line, as a start without them records it,
    // listens on the game's port; the clan's listens on one address only.
    const auto plainServer = OtherProcess(Game());
    const auto clanServer = OtherProcess(Game());
    for (const auto& [instance, process, parameters] :
         {std::tuple{Instance(), plainServer.get(),
                     std::string("+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg")},
          std::tuple{clan, clanServer.get(),
                     std::string("+set dedicated 2 +set fs_game BriselaMOD_v2 +set net_ip 10.0.0.1 +set net_port "
                                 "28970 +exec advanced-clan.cfg +exec standard-clan.cfg")}}) {
        const auto id = static_cast<pid_t>(process->processId());
        WriteServerRecord(ModPath(), instance,
                          {id, ProcessStartTime(id).value(), folder_.File("game/cod_lnxded"), parameters});
    }
    // The addresses come from a function: GCC 12 takes an optional string written inline in a table of cases for
    // one that may be used uninitialised.
    const auto Address = [](int port, const char* ip = nullptr) {
        return NetSettings{port, ip ? std::optional<std::string>(ip) : std::nullopt};
    };
    struct Case {
        const char* what;
        Instance instance;
        NetSettings net;
        std::optional<Instance> holder;
    };
    const std::vector<Case> cases = {
        {"the game's port", pub, {}, Instance()},
        {"the game's port named", pub, Address(28960), Instance()},
        {"every address", pub, Address(28960, "0.0.0.0"), Instance()},
        {"one address", pub, Address(28960, "10.0.0.9"), Instance()},
        {"another port", pub, Address(28961), std::nullopt},
        {"the clan's port on every address", pub, Address(28970), clan},
        {"the clan's port and address", pub, Address(28970, "10.0.0.1"), clan},
        {"the clan's port on another address", pub, Address(28970, "10.0.0.2"), std::nullopt},
        {"a server's own port", Instance(), {}, std::nullopt},
        {"the plain server on the clan's port", Instance(), Address(28970), clan},
    };
    for (const auto& [what, instance, net, holder] : cases) {
        const auto clash = FindPortClash(ModPath(), instance, net);
        EXPECT_EQ(clash ? std::optional<Instance>(clash->instance) : std::nullopt, holder) << what;
    }
    const auto clash = FindPortClash(ModPath(), pub, {});
    ASSERT_TRUE(clash);
    EXPECT_EQ(PortClashMessage(*clash, {}),
              "Port 28960 is in use by the server without an instance of this game folder (process " +
                  std::to_string(plainServer->processId()) +
                  "); give this one another net_port in its advanced lines, or stop that one first");

    // A server that ended holds no port.
    clanServer->kill();
    clanServer->waitForFinished();
    EXPECT_EQ(FindPortClash(ModPath(), pub, {28970, std::nullopt}), std::nullopt);
    plainServer->kill();
    plainServer->waitForFinished();
}

TEST_F(ServerStartTest, AServerThatCannotStartForWantOfAPackageSaysWhichToInstall) {
    // A 32-bit server on a system without the 32-bit loader is not started.
    const std::string loader = folder_.File("no-such-lib/ld-linux.so.2");
    const std::string native = folder_.Write("game/cod_lnxded", ElfProgram(ELFCLASS32, loader));
    fs::permissions(native, fs::perms::owner_exec, fs::perm_options::add);
    try {
        StartServer(Launch(native), ServerOutput::LogFile);
        ADD_FAILURE() << "started without its loader";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "The server cannot start: the 32-bit loader " + loader +
                                                 " is missing: dpkg --add-architecture i386 && apt-get update && "
                                                 "apt-get install libc6:i386");
    }
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));

    // What the loader or Wine says after a start that ended at once is turned into what to install.
    const struct {
        const char* said;
        int exitCode;
        const char* hint;
    } cases[] = {
        {"./cod_lnxded: error while loading shared libraries: libstdc++.so.5: cannot open shared object file: No "
         "such file or directory",
         127,
         "Server program : the 32-bit library libstdc++.so.5 is missing: dpkg --add-architecture i386 && apt-get "
         "update && apt-get install libstdc++5:i386"},
        {"it looks like wine32 is missing, you should install it.", 1,
         "Server program : 32-bit Wine is missing: dpkg --add-architecture i386 && apt-get update && apt-get install "
         "wine32:i386"},
    };
    // An instance's output goes to its own log, where the hints are read; the plain log says something else.
    folder_.Write("game/BriselaMOD_v2/server.log", "./cod_lnxded: error while loading shared libraries: libplain.so.1: "
                                                   "cannot open shared object file: No such file or directory\n");
    for (const Instance& instance : {Instance(), *Instance::Named("clan")}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(instance.Name());
            log_.clear();
            const std::string server =
                WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), c.said + std::string("\n"), c.exitCode);
            ServerLaunch launch = Launch(server);
            launch.instance = instance;
            StartResult started = StartServer(launch, ServerOutput::LogFile);
            ASSERT_TRUE(started.server);
            EXPECT_EQ(CheckServerStart(*started.server, 30s, log), StartCheck::Ended);
            ASSERT_GE(log_.size(), 2u);
            EXPECT_EQ(log_[log_.size() - 2], c.hint);
            EXPECT_EQ(log_.back(), "Server stopped at start (exit code " + std::to_string(c.exitCode) + ")");
        }
    }
}

TEST_F(ServerStartTest, AMissingServerOrRunnerStartsNothing) {
    EXPECT_EQ(StartServer(Launch(folder_.File("game/CoDMP.exe")), ServerOutput::LogFile).code, ShellOpenFileNotFound);
    folder_.Write("game/CoDMP.exe", "");
    setenv("QUENDRY_EXE_RUNNER", "no-such-runner-anywhere", 1);
    const StartResult result = StartServer(Launch(folder_.File("game/CoDMP.exe")), ServerOutput::LogFile);
    EXPECT_EQ(result.code, ShellOpenNoProgram);
    EXPECT_FALSE(result.server);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerStartTest, TheWindowsServerStartsThroughTheRunnerInTheGameFolder) {
    const std::string runner = WriteFakeServer(folder_.File("runner"), Record(), "", std::nullopt);
    setenv("QUENDRY_EXE_RUNNER", runner.c_str(), 1);
    const std::string server = folder_.Write("game/CoDMP.exe", "");
    StartResult started = StartServer(Launch(server), ServerOutput::LogFile);
    ASSERT_TRUE(started.server);
    EXPECT_EQ(WaitForFile(Record()), Game() + "\n" + server + "\n" + RecordedArguments());
    // The runner is the recorded server, whatever its name.
    const StopReport report = StopRecordedServer(ModPath(), Instance(), 5s);
    EXPECT_EQ(report.outcome, StopOutcome::Stopped);
    EXPECT_EQ(report.processId, started.server->process.Id());
    EXPECT_FALSE(ProcessRuns(report.processId));
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
}

TEST_F(ServerStartTest, StopSendsNothingToAProcessThatIsNotKnownForSureToBeTheServer) {
    const RefusalCase cases[] = {
        {"an earlier start time", Game(), 1, false, "it started at another time than the recorded server"},
        // The id was used again by a process that started after the recorded server.
        {"a later start time", Game(), -1, false, "it started at another time than the recorded server"},
        {"another working folder", folder_.Path(), 0, false,
         "its working folder is " + folder_.Path() + ", not " + Game()},
    };
    for (const RefusalCase& refusal : cases)
        ExpectRefused(refusal);
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::Ended);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::NoRecord);
}

TEST_F(ServerStartTest, AServerThatLeadsNoProcessGroupIsStoppedItself) {
    // Started by hand from the game folder: the recorded process is in the group of what started it (this test's),
    // so a signal to the group it would lead reaches nobody.
    const std::string game = Game();
    const pid_t id = ::fork();
    ASSERT_GE(id, 0);
    if (id == 0) {
        if (::chdir(game.c_str()) == 0)
            ::execlp("sleep", "sleep", "600", nullptr);
        ::_exit(127);
    }
    while (ProcessWorkingFolder(id) != fs::canonical(game).string())
        std::this_thread::sleep_for(10ms);
    ASSERT_NE(::getpgid(id), id);
    WriteServerRecord(ModPath(), Instance(),
                      {id, ProcessStartTime(id).value(), folder_.File("game/cod_lnxded"), Parameters()});
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::Stopped);
    const bool runsOn = ProcessRuns(id);
    EXPECT_FALSE(runsOn);
    EXPECT_FALSE(fs::exists(ServerPidFile(ModPath(), Instance())));
    if (runsOn)
        SignalOwnProcess(id, SIGKILL);
    ::waitpid(id, nullptr, 0); // unless the stop reaped it already
}

TEST_F(ServerStartTest, StopSendsNothingWhenTheRecordBelongsToAnotherUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give server.pid to another user";
    ExpectRefused({"a record of another user", Game(), 0, true,
                   ServerPidFile(ModPath(), Instance()) + " belongs to another user"});
}

TEST_F(ServerStartTest, AServerThatAnotherUserRecordedOfItsOwnIsInTheWayAndLeftToThatUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run a server as another user";
    constexpr uid_t nobody = 65534;
    QProcess other;
    other.setWorkingDirectory(QString::fromStdString(Game()));
    other.setChildProcessModifier([] {
        if (::setresgid(nobody, nobody, nobody) != 0 || ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(127);
    });
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    const auto id = static_cast<pid_t>(other.processId());
    WriteServerRecord(ModPath(), Instance(),
                      {id, ProcessStartTime(id).value(), folder_.File("game/cod_lnxded"), Parameters()});
    const std::string pidFile = ServerPidFile(ModPath(), Instance());
    ASSERT_EQ(::chown(pidFile.c_str(), nobody, nobody), 0);

    // A start would run a second server beside it; a stop is not this user's to send.
    const FoundServer found = FindServer(ModPath(), Instance());
    EXPECT_EQ(found.state, FoundServer::OtherUsers);
    EXPECT_TRUE(found.InTheWay());
    EXPECT_EQ(ServerInTheWayMessage(found, ModPath()),
              "The server of this game folder is running (process " + std::to_string(id) + ", started as " +
                  folder_.File("game/cod_lnxded") + ") as another user; " + pidFile + " stays as it is");
    EXPECT_EQ(StopRecordedServer(ModPath(), Instance(), 5s).outcome, StopOutcome::NotPermitted);
    const std::string server = WriteFakeServer(folder_.File("game/cod_lnxded"), Record(), "", std::nullopt);
    try {
        StartServer(Launch(server), ServerOutput::LogFile);
        ADD_FAILURE() << "a second server was started beside another user's";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), ServerInTheWayMessage(found, ModPath()));
    }
    EXPECT_FALSE(fs::exists(Record())) << "nothing was started";
    EXPECT_TRUE(ProcessRuns(id));
    EXPECT_TRUE(fs::exists(pidFile));
    other.kill();
    other.waitForFinished();
}

} // namespace
