#include "app/RunCommand.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "app/RunSequence.h"
#include "app/StartState.h"
#include "forms/ConsoleQuestions.h"
#include "maps/MapScan.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "server/ForegroundServer.h"
#include "server/ServerStart.h"
#include "zip/Zip.h"

#include <charconv>
#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>

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

// One windowless command of the main window's.
struct HeadlessCommand {
    const char* name;
    // Takes --no-launch, --watch and --foreground.
    bool takesLaunchOptions;
    // A game folder that does not exist stops the command before anything is written (run) or is reported
    // as an invalid path by the command itself (scan).
    bool refusesMissingGameFolder;
};

const HeadlessCommand RunVerb{"run", true, true};
const HeadlessCommand ScanVerb{"scan", false, false};

// The command's options; throws UsageError for a value it cannot take.
RunOptions OptionsOf(const HeadlessCommand& command, const CommandArguments& args) {
    RunOptions options;
    options.settingsFile = args.Value("settings");
    options.gameFolder = args.Value("game");
    if (!command.takesLaunchOptions)
        return options;
    options.launch = !args.IsSet("no-launch");
    options.foreground = args.IsSet("foreground");
    const auto watch = args.Value("watch");
    if (watch) {
        double seconds = -1;
        const auto parsed = std::from_chars(watch->data(), watch->data() + watch->size(), seconds);
        if (parsed.ec != std::errc() || parsed.ptr != watch->data() + watch->size() || !(seconds >= 0) ||
            seconds > LongestWatch) {
            std::ostringstream message;
            message << "--watch expects seconds from 0 to " << LongestWatch << ", not '" << *watch << "'";
            throw UsageError(message.str());
        }
        options.watch = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    }
    if (options.foreground && (!options.launch || watch))
        throw UsageError("--foreground runs the server to its end; it takes neither --no-launch nor --watch");
    return options;
}

// A settings file or game folder that a command could not use silently would run it on the saved settings
// instead: name it and the system's reason, before anything is read or written.
bool CheckOptions(const HeadlessCommand& command, const RunOptions& options, std::ostream& err) {
    std::string unusable;
    if (options.settingsFile)
        unusable = UnusableSettingsFile(*options.settingsFile);
    if (unusable.empty() && options.gameFolder && command.refusesMissingGameFolder)
        unusable = UnusableGameFolder(*options.gameFolder);
    if (!unusable.empty())
        err << "quendry " << command.name << ": " << unusable << '\n';
    return unusable.empty();
}

// Runs `action` on the options as the main window holds them at start, with the options applied, printing the
// run log to `out` and messages and errors to `err`; the action's result, 1 when it throws, 2 for a settings file
// or game folder it cannot use. No window is built: the command needs no display.
int RunHeadless(const HeadlessCommand& command, const CommandArguments& args, std::ostream& out, std::ostream& err,
                const std::function<int(StartState&, const RunOptions&, const LogSink&)>& action) {
    const RunOptions options = OptionsOf(command, args);
    if (!CheckOptions(command, options, err))
        return 2;
    ConsoleQuestions questions(err);
    SetQuestions(&questions);
    const LogSink log = [&out](const std::string& line) { out << line << std::endl; };
    int result = 1;
    try {
        StartState state = LoadStartState(options.settingsFile);
        if (options.gameFolder)
            state.options.texts["EditPath"] = TrimFolderPath(*options.gameFolder);
        result = action(state, options, log);
    } catch (const std::exception& error) {
        questions.ShowError(QString::fromUtf8(error.what()));
    }
    SetQuestions(nullptr);
    return result;
}

} // namespace

int RunCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(RunVerb, args, out, err, [&](StartState& state, const RunOptions& options, const LogSink& log) {
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
        const RunOutcome outcome = RunServer(RunSettingsOf(std::move(state.options), state.pathRestored), environment);
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

int ScanCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(ScanVerb, args, out, err, [&err](StartState& state, const RunOptions&, const LogSink& log) {
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
