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
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "zip/Zip.h"

#include <QCoreApplication>
#include <QFileInfo>

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
    std::chrono::milliseconds watch = DefaultServerWatch;
};

// The longest start check --watch accepts, in seconds.
constexpr double LongestWatch = 3600;

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
    "Usage: quendry run [--settings FILE] [--game DIR] [--no-launch | --watch SECONDS | --foreground]\n"
    "Writes the server's files and starts the dedicated server, as the Run button does, without "
    "a window.\n"
    "The native server cod_lnxded is started when the game folder holds it, else CoDMP.exe through wine.\n"
    "\n"
    "  --settings FILE  load these settings first, as Open does\n"
    "  --game DIR       the Call of Duty folder (the one holding cod_lnxded or CoDMP.exe)\n"
    "  --no-launch      write everything, print the server's command line instead of starting "
    "it\n"
    "  --watch SECONDS  check that long that the server keeps running (default 3, 0 for no check);\n"
    "                   its output goes to server.log in the mod folder\n"
    "  --foreground     stay until the server ends, pass SIGTERM and SIGINT on to it, and exit with its\n"
    "                   exit code (for a service manager); its output goes to standard output\n"
    "\n"
    "Exit status: 0 when the server runs (or, with --no-launch, everything was written), 1 when the Run\n"
    "stopped, 2 for a usage error, 3 when the server did not start or stopped within the check.\n",
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

// Reads the options after the command's name; nullopt after a usage error (already reported).
std::optional<RunOptions> ParseOptions(const HeadlessCommand& command, const std::vector<std::string>& args,
                                       std::ostream& err) {
    RunOptions options;
    bool watchGiven = false;
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
        } else if (arg == "--watch" && hasValue && command.takesLaunchOptions) {
            const std::string& text = args[++i];
            double seconds = -1;
            const auto parsed = std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || !(seconds >= 0) ||
                seconds > LongestWatch) {
                err << "quendry " << command.name << ": --watch expects seconds from 0 to " << LongestWatch << ", not '"
                    << text << "'\n";
                return std::nullopt;
            }
            options.watch = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
            watchGiven = true;
        } else {
            err << "quendry " << command.name << ": unexpected argument '" << arg << "'\n";
            err << command.usage;
            return std::nullopt;
        }
    }
    if (options.foreground && (!options.launch || watchGiven)) {
        err << "quendry " << command.name << ": --foreground runs the server to its end; it takes neither "
            << "--no-launch nor --watch\n";
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
        const QString file = QString::fromStdString(*options.settingsFile);
        std::string reason = QFileInfo::exists(file) ? std::string() : std::strerror(ENOENT);
        try {
            if (reason.empty())
                RequireQuendrySettings(TIniFile(file));
        } catch (const FileError& error) {
            reason = error.Reason();
        } catch (const std::runtime_error&) {
            reason = "holds no Quendry settings";
        }
        if (!reason.empty()) {
            err << "quendry " << command.name << ": settings file " << *options.settingsFile << ": " << reason << '\n';
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
                const std::function<int(StartState&, const RunOptions&, const LogSink&)>& action) {
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

} // namespace

bool IsRunCommand(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == RunVerb.name;
}

int RunCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return RunHeadless(
        RunVerb, argc, argv, out, err, [&](StartState& state, const RunOptions& options, const LogSink& log) {
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
            const RunOutcome outcome =
                RunServer(RunSettingsOf(std::move(state.options), state.pathRestored), environment);
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
            if (foreground) {
                if (!foreground->Started())
                    return 3;
                const int exitCode = foreground->Wait();
                log(std::string("Server stopped (exit code ").append(std::to_string(exitCode)).append(")"));
                return exitCode;
            }
            return started && CheckServerStart(*started, options.watch, log) ? 0 : 3;
        });
}

bool IsScanCommand(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == ScanVerb.name;
}

int ScanCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return RunHeadless(ScanVerb, argc, argv, out, err,
                       [&err](StartState& state, const RunOptions&, const LogSink& log) {
                           const std::string gameFolder = state.options.Text("EditPath");
                           if (!CheckGamePath(gameFolder, log)) {
                               Ask().ShowMessage(QString::fromStdString(NoGameFolderToScanMessage));
                               return 1;
                           }
                           TZip zip;
                           zip.LibraryFolder = GetProgramFolder();
                           QStringList maps;
                           for (const SkippedArchive& skipped : ScanMaps(zip, gameFolder, ModFolderName, maps, log))
                               err << "Skipped " << skipped.archive << ": " << skipped.reason << std::endl;
                           return 0;
                       });
}
