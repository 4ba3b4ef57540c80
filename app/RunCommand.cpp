#include "app/RunCommand.h"

#include "ModFolder.h"

#include "app/RunSequence.h"
#include "app/StartState.h"
#include "forms/ConsoleQuestions.h"
#include "maps/MapScan.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "server/ForegroundServer.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"
#include "zip/Zip.h"

#include <QCoreApplication>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <ostream>

#include <sys/stat.h>

namespace {

struct RunOptions {
    std::optional<std::string> settingsFile;
    std::optional<std::string> gameFolder;
    bool launch = true;
    bool foreground = false;
    bool restart = false;
    ForegroundPeriods periods;
};

// The longest period --watch, --hang and --grace accept, in seconds.
constexpr double LongestPeriod = 3600;

// The exit codes of `quendry run` besides 0 to 2.
constexpr int NotStartedExit = 3;
constexpr int InTheWayExit = 4;
constexpr int SilentExit = 5;

// One windowless command: its name, its usage text, and whether it takes --no-launch, --watch and --foreground.
struct HeadlessCommand {
    const char* name;
    const char* usage;
    bool takesLaunchOptions;
    // A game folder that does not exist stops the command before anything is written (run) or is reported
    // as an invalid path by the command itself (scan).
    bool refusesMissingGameFolder;
};

const HeadlessCommand RunVerb{
    "run",
    "Usage: quendry run [--settings FILE] [--game DIR] [--restart] [--watch SECONDS]\n"
    "                   [--no-launch | --foreground [--hang SECONDS] [--grace SECONDS]]\n"
    "Writes the server's files and starts the dedicated server, as the Run button does, without "
    "a window.\n"
    "The native server cod_lnxded is started when the game folder holds it, else CoDMP.exe through wine.\n"
    "\n"
    "  --settings FILE  load these settings first, as Open does\n"
    "  --game DIR       the Call of Duty folder (the one holding cod_lnxded or CoDMP.exe)\n"
    "  --no-launch      write everything, print the server's command line instead of starting "
    "it\n"
    "  --restart        stop the server of this game folder first when it runs\n"
    "  --watch SECONDS  wait that long for the server to answer a status query on its port (default 15,\n"
    "                   0 for no check); its output goes to server.log in the mod folder\n"
    "  --foreground     stay until the server ends, pass SIGTERM and SIGINT on to its process group, and\n"
    "                   exit with its exit code, 0 after a stop asked for that way (for a service manager,\n"
    "                   told through NOTIFY_SOCKET); its output goes to standard output\n"
    "  --hang SECONDS   with --foreground: stop a server that does not answer for that long (default 60)\n"
    "  --grace SECONDS  with --foreground: how long a stopped server may take before SIGKILL (default 10)\n"
    "\n"
    "Exit status: 0 when the server answers (or, with --no-launch, everything was written), 1 when the Run\n"
    "stopped, 2 for a usage error, 3 when the server did not start or stopped within the check, 4 when the\n"
    "server of this game folder already runs, 5 when the server runs but does not answer, 6 when a server in\n"
    "the foreground hung and was stopped.\n",
    true, true};

const HeadlessCommand ScanVerb{
    "scan",
    "Usage: quendry scan [--settings FILE] [--game DIR]\n"
    "Builds the map catalogue (maps.ini) from the game's .pk3 archives, as the Scan Maps button "
    "does, without a window.\n"
    "\n"
    "  --settings FILE  load these settings first, as Open does\n"
    "  --game DIR       the Call of Duty folder (the one holding CoDMP.exe)\n",
    false, false};

// The period an option of seconds sets, nullopt for any other option.
std::optional<std::chrono::milliseconds*> PeriodOption(const std::string& option, ForegroundPeriods& periods) {
    if (option == "--watch")
        return &periods.watch;
    if (option == "--hang")
        return &periods.hang;
    if (option == "--grace")
        return &periods.grace;
    return std::nullopt;
}

// Reads the options after the command's name; nullopt after a usage error (already reported).
std::optional<RunOptions> ParseOptions(const HeadlessCommand& command, const std::vector<std::string>& args,
                                       std::ostream& err) {
    RunOptions options;
    bool foregroundOnly = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--settings" && hasValue) {
            options.settingsFile = args[++i];
        } else if (arg == "--game" && hasValue) {
            options.gameFolder = args[++i];
        } else if (arg == "--no-launch" && command.takesLaunchOptions) {
            options.launch = false;
        } else if (arg == "--foreground" && command.takesLaunchOptions) {
            options.foreground = true;
        } else if (arg == "--restart" && command.takesLaunchOptions) {
            options.restart = true;
        } else if (const auto period = PeriodOption(arg, options.periods);
                   period && hasValue && command.takesLaunchOptions) {
            const std::string& text = args[++i];
            double seconds = -1;
            const auto parsed = std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || !(seconds >= 0) ||
                seconds > LongestPeriod) {
                err << "quendry " << command.name << ": " << arg << " expects seconds from 0 to " << LongestPeriod
                    << ", not '" << text << "'\n";
                return std::nullopt;
            }
            **period = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
            foregroundOnly = foregroundOnly || arg != "--watch";
        } else {
            err << "quendry " << command.name << ": unexpected argument '" << arg << "'\n";
            err << command.usage;
            return std::nullopt;
        }
    }
    if (options.foreground && !options.launch) {
        err << "quendry " << command.name << ": --foreground runs the server to its end; it does not take "
            << "--no-launch\n";
        return std::nullopt;
    }
    if (foregroundOnly && !options.foreground) {
        err << "quendry " << command.name << ": --hang and --grace are for a server in the foreground\n";
        return std::nullopt;
    }
    return options;
}

// Standard error carries the program's own messages only; Qt's notes about the desktop session (no runtime
// folder on a server box, say) would read like failures of the Run.
void DropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg)
        std::cerr << message.toStdString() << std::endl; // Qt aborts right after
}

// A settings file or game folder that a command could not use silently would run it on the saved settings
// instead: name it and the system's reason, before anything is read or written.
bool CheckOptions(const HeadlessCommand& command, const RunOptions& options, std::ostream& err) {
    if (options.settingsFile) {
        try {
            ReadWholeFile(*options.settingsFile);
        } catch (const FileError& error) {
            err << "quendry " << command.name << ": settings file " << *options.settingsFile << ": " << error.Reason()
                << '\n';
            return false;
        }
    }
    if (options.gameFolder && command.refusesMissingGameFolder) {
        struct stat status {};
        const int error = ::stat(options.gameFolder->c_str(), &status) != 0 ? errno
                          : !S_ISDIR(status.st_mode)                        ? ENOTDIR
                                                                            : 0;
        if (error != 0) {
            err << "quendry " << command.name << ": game folder " << *options.gameFolder << ": " << std::strerror(error)
                << '\n';
            return false;
        }
    }
    return true;
}

// Runs `action` on the options as the main window holds them at start, with the options applied, printing the
// run log to `out` and messages and errors to `err`; the action's result, 1 when it throws, 2 for a usage error.
// No window is built: the command needs no display.
int RunHeadless(const HeadlessCommand& command, int argc, char** argv, std::ostream& out, std::ostream& err,
                const std::function<int(const StartState&, const RunOptions&, const LogSink&)>& action) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
        out << command.usage;
        return 0;
    }
    const auto options = ParseOptions(command, args, err);
    if (!options || !CheckOptions(command, *options, err))
        return 2;

    qInstallMessageHandler(DropQtMessages);
    QCoreApplication application(argc, argv);
    ConsoleQuestions questions(err);
    SetQuestions(&questions);
    const LogSink log = [&out](const std::string& line) { out << line << std::endl; };
    int result = 1;
    try {
        StartState state = LoadStartState(options->settingsFile);
        if (options->gameFolder)
            state.options.texts["EditPath"] = TrimFolderPath(*options->gameFolder);
        result = action(state, *options, log);
    } catch (const std::exception& error) {
        questions.ShowError(QString::fromUtf8(error.what()));
    }
    SetQuestions(nullptr);
    return result;
}

// Before a start: the server of the game folder that still runs is stopped with --restart (and only it); otherwise
// it stands in the way, which is told on `err`. True when the start may go ahead.
bool MakeWayForServer(const StartState& state, const RunOptions& options, const LogSink& log, std::ostream& err) {
    const std::string modPath = JoinPath(state.options.Text("EditPath"), ModFolderName);
    const FoundServer found = FindServer(modPath);
    if (!found.InTheWay())
        return true;
    if (options.restart && found.state == FoundServer::Running) {
        const StopReport report = StopFoundServer(found, modPath, options.periods.grace);
        log(StoppedLine(report, options.periods.grace));
        if (report.outcome == StopOutcome::Stopped || report.outcome == StopOutcome::Killed)
            return true;
    }
    err << "quendry run: " << ServerInTheWayMessage(found, modPath)
        << (found.state == FoundServer::Running && !options.restart ? ", or run with --restart" : "") << '\n';
    return false;
}

} // namespace

bool IsRunCommand(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == RunVerb.name;
}

int RunCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return RunHeadless(
        RunVerb, argc, argv, out, err, [&](const StartState& state, const RunOptions& options, const LogSink& log) {
            if (options.launch && !MakeWayForServer(state, options, log, err))
                return InTheWayExit;
            // Signals are passed on from before the start, so that none ends this program and leaves the server
            // alone.
            std::optional<ForegroundServer> foreground;
            std::optional<StartedServer> started;
            ServerLauncher launch;
            if (!options.launch) {
                launch = [&out](const ServerLaunch& server) {
                    out << "Command line: " << BuildCommandLine(server.executable, server.parameters) << std::endl;
                    return std::optional<int>();
                };
            } else if (options.foreground) {
                foreground.emplace();
                launch = [&](const ServerLaunch& server) { return std::optional<int>(foreground->Start(server)); };
            } else {
                launch = [&](const ServerLaunch& server) {
                    StartResult result = StartServer(server, ServerOutput::LogFile);
                    started = std::move(result.server);
                    return std::optional<int>(result.code);
                };
            }
            const RunEnvironment environment{log, [] { return QDateTime::currentDateTime(); }, launch};
            const RunOutcome outcome = RunServer(RunSettingsOf(state.options, state.pathRestored), environment);
            if (outcome != RunOutcome::Launched)
                Ask().ShowMessage(QString::fromStdString(RunStopMessage(outcome)));
            if (outcome == RunOutcome::NoMaps && state.mapsList.isEmpty())
                err << "The map catalogue (maps.ini) is empty: build it with 'quendry scan --game DIR' "
                       "first."
                    << std::endl;
            if (outcome != RunOutcome::Launched)
                return 1;
            if (!options.launch)
                return 0;
            if (foreground)
                return foreground->Started() ? foreground->Run(options.periods, log) : NotStartedExit;
            if (!started)
                return NotStartedExit;
            switch (CheckServerStart(*started, options.periods.watch, log)) {
            case StartCheck::Ended:
                return NotStartedExit;
            case StartCheck::Silent:
                return SilentExit;
            case StartCheck::Skipped:
            case StartCheck::Answering:
            case StartCheck::Running:
                break;
            }
            return 0;
        });
}

bool IsScanCommand(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == ScanVerb.name;
}

int ScanCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return RunHeadless(ScanVerb, argc, argv, out, err,
                       [](const StartState& state, const RunOptions&, const LogSink& log) {
                           const std::string gameFolder = state.options.Text("EditPath");
                           if (!CheckGamePath(gameFolder, log)) {
                               Ask().ShowMessage(QString::fromStdString(NoGameFolderToScanMessage));
                               return 1;
                           }
                           TZip zip;
                           zip.LibraryFolder = GetProgramFolder();
                           QStringList maps;
                           ScanMaps(zip, gameFolder, ModFolderName, maps, log);
                           return 0;
                       });
}
