// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RunCommand.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "app/GameFolderOption.h"
#include "app/PlayerWarning.h"
#include "app/RconCommand.h"
#include "app/RunSequence.h"
#include "app/StartState.h"
#include "forms/ConsoleQuestions.h"
#include "maps/MapScan.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "server/EventDispatcher.h"
#include "server/ForegroundServer.h"
#include "server/MetricsFile.h"
#include "server/ServerSession.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"
#include "server/StopWarning.h"
#include "zip/Zip.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>

namespace {

struct RunOptions {
    std::optional<std::string> settingsFile;
    std::optional<std::string> gameFolder;
    bool launch = true;
    bool foreground = false;
    bool restart = false;
    Instance instance;
    ForegroundPeriods periods;
    std::optional<std::string> metricsFile;
    EventTargets events;
    PlayerWarning warning;
};

// The environment variable that may hold the webhook's URL, which stays out of the unit file and `ps` that way.
constexpr const char* WebhookVariable = "QUENDRY_WEBHOOK";

// The longest period --watch, --hang and --grace accept, in seconds.
constexpr double LongestPeriod = 3600;

// The exit codes of `quendry run` besides 0.
constexpr int StoppedExit = 1;
constexpr int UnusableExit = 2;
constexpr int NotStartedExit = 3;
constexpr int SilentExit = 5;

// The exits that only a change of the settings, the game folder or the catalogue can mend; a service manager is told
// not to restart after them.
constexpr int ConfigurationExits[] = {StoppedExit, UnusableExit, InTheWayExit};

// One windowless command of the main window's.
struct HeadlessCommand {
    const char* name;
    // Takes --no-launch, --watch and --foreground.
    bool takesLaunchOptions;
    // A game folder that does not exist stops the command before anything is written (run) or is reported
    // as an invalid path by the command itself (scan).
    bool refusesMissingGameFolder;
    // A map catalogue that is missing or empty is built from the game folder first, as scan builds it.
    bool buildsMissingCatalogue;
};

const HeadlessCommand RunVerb{"run", true, true, true};
const HeadlessCommand ScanVerb{"scan", false, false, false};

// Scan Maps: builds the map catalogue from the archives of `gameFolder`, logging its summary; the archives it
// skipped are told on `err`. False, and nothing scanned, when the game folder is not valid; its check is
// logged when `logCheck`.
bool ScanGameFolder(const std::string& gameFolder, const LogSink& log, bool logCheck, std::ostream& err) {
    if (!CheckGamePath(gameFolder, logCheck ? log : LogSink([](const std::string&) {})))
        return false;
    TZip zip;
    zip.LibraryFolder = GetProgramFolder();
    QStringList maps;
    for (const SkippedArchive& skipped : ScanMaps(zip, gameFolder, ModFolderName, maps, log))
        err << "Skipped " << skipped.archive << ": " << skipped.reason << std::endl;
    return true;
}

// The period of an option of seconds, when given; throws UsageError for a value it cannot take.
std::optional<std::chrono::milliseconds> PeriodOf(const CommandArguments& args, const char* option,
                                                  std::chrono::milliseconds shortest = {}) {
    const auto text = args.Value(option);
    if (!text)
        return std::nullopt;
    const double shortestSeconds = std::chrono::duration<double>(shortest).count();
    double seconds = -1;
    const auto parsed = std::from_chars(text->data(), text->data() + text->size(), seconds);
    if (parsed.ec != std::errc() || parsed.ptr != text->data() + text->size() || !(seconds >= shortestSeconds) ||
        seconds > LongestPeriod) {
        std::ostringstream message;
        message << "--" << option << " expects seconds from " << shortestSeconds << " to " << LongestPeriod << ", not '"
                << *text << "'";
        throw UsageError(message.str());
    }
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

// The command's options; throws UsageError for a value or a combination it cannot take.
RunOptions OptionsOf(const HeadlessCommand& command, const CommandArguments& args) {
    RunOptions options;
    options.settingsFile = args.Value("settings");
    options.gameFolder = args.Value("game");
    if (!command.takesLaunchOptions)
        return options;
    options.instance = args.GetInstance();
    options.launch = !args.IsSet("no-launch");
    options.foreground = args.IsSet("foreground");
    options.restart = args.IsSet("restart");
    options.periods.watch = PeriodOf(args, "watch").value_or(options.periods.watch);
    const auto hang = PeriodOf(args, "hang", ShortestHangTime);
    const auto grace = PeriodOf(args, "grace");
    options.periods.hang = hang.value_or(options.periods.hang);
    options.periods.grace = grace.value_or(options.periods.grace);
    if (options.foreground && !options.launch)
        throw UsageError("--foreground runs the server to its end; it does not take --no-launch");
    if ((hang || grace) && !options.foreground)
        throw UsageError("--hang and --grace are for a server in the foreground");
    options.metricsFile = args.Value("metrics-file");
    // An empty command or URL is none, so that a service unit may pass a variable that is not set.
    options.events.command = SplitCommandLine(args.Value("on-event").value_or(""));
    options.events.webhook = args.Value("webhook").value_or("");
    if (const char* webhook = std::getenv(WebhookVariable); webhook && !args.IsSet("webhook") && options.foreground)
        options.events.webhook = webhook;
    const auto eventTimeout = PeriodOf(args, "event-timeout", std::chrono::seconds(1));
    options.events.limit = eventTimeout.value_or(options.events.limit);
    if ((options.metricsFile || args.IsSet("on-event") || args.IsSet("webhook") || eventTimeout) && !options.foreground)
        throw UsageError(
            "--metrics-file, --on-event, --webhook and --event-timeout are for a server in the foreground");
    options.warning = PlayerWarningOf(args, "Server restarts in {time}");
    if (args.IsSet("warn") && !options.restart)
        throw UsageError("--warn warns the players of the server that --restart stops: give --restart too");
    return options;
}

// A settings file or game folder that a command could not use silently would run it on the saved settings
// instead: name it and the system's reason, before anything is written. The settings file is read here, once.
bool CheckOptions(const HeadlessCommand& command, const RunOptions& options, std::optional<TIniFile>& settings,
                  std::ostream& err) {
    std::string unusable;
    if (options.settingsFile) {
        GivenSettings given = ReadGivenSettings(*options.settingsFile);
        unusable = given.unusable;
        settings = std::move(given.ini);
    }
    if (unusable.empty() && options.gameFolder && command.refusesMissingGameFolder)
        unusable = UnusableGameFolder(*options.gameFolder);
    if (!unusable.empty())
        err << "quendry " << command.name << ": " << unusable << '\n';
    return unusable.empty();
}

// `code`, the exit code of a command; in the foreground, where the command runs under a service manager, one that only
// a change of the configuration mends is followed by a line on `err` that says so, for the service's log.
int Finished(const RunOptions& options, int code, std::ostream& err) {
    if (options.foreground && std::ranges::find(ConfigurationExits, code) != std::end(ConfigurationExits))
        err << "quendry run: exit code " << code
            << ": the settings, the game folder or the map catalogue must be corrected; restarting will not help"
            << std::endl;
    return code;
}

// Runs `action` on the options as the main window holds them at start, with the options applied, printing the
// run log to `out` and messages and errors to `err`; the action's result, 1 when it throws, 2 for a settings file
// or game folder it cannot use. No window is built: the command needs no display.
int RunHeadless(const HeadlessCommand& command, const CommandArguments& args, std::ostream& out, std::ostream& err,
                const std::function<int(StartState&, const RunOptions&, const LogSink&)>& action) {
    const RunOptions options = OptionsOf(command, args);
    std::optional<TIniFile> settings;
    if (!CheckOptions(command, options, settings, err))
        return Finished(options, UnusableExit, err);
    ConsoleQuestions questions(err);
    const QuestionsInstalled installed(questions);
    // The events of a server in the foreground are logged from threads of their own.
    std::mutex logging;
    const LogSink log = [&out, &logging](const std::string& line) {
        const std::lock_guard lock(logging);
        out << line << std::endl;
    };
    int result = StoppedExit;
    try {
        StartState state = LoadStartState(settings ? &*settings : nullptr, options.instance);
        if (options.gameFolder)
            state.options.SetGameFolder(TrimFolderPath(*options.gameFolder));
        // A first start needs nothing else: without a catalogue the rotation would be dropped whole, so the
        // catalogue is built and the settings read again against it.
        if (command.buildsMissingCatalogue && state.mapsList.isEmpty() &&
            ScanGameFolder(state.options.GameFolder(), log, false, err)) {
            const std::string gameFolder = state.options.GameFolder();
            state = LoadStartState(settings ? &*settings : nullptr, options.instance);
            state.options.SetGameFolder(gameFolder);
        }
        // Its values are in the state now; a long settings file gives its memory back before the files are built.
        settings.reset();
        result = action(state, options, log);
    } catch (const std::exception& error) {
        questions.ShowError(QString::fromUtf8(error.what()));
    }
    return Finished(options, result, err);
}

// Before a start: another instance of the game folder whose server holds the port stands in the way, and is never
// stopped; the server of this instance that still runs is stopped with --restart (and only it), otherwise it stands
// in the way; its players are warned first when `password` is given. So does another program that holds the port.
// What stands in the way is told on `err`. True when the start may go ahead.
bool MakeWayForServer(const StartState& state, const RunOptions& options, const std::optional<std::string>& password,
                      const LogSink& log, std::ostream& err) {
    const std::string modPath = ModFolderPath(state.options.GameFolder());
    const NetSettings net = NetSettingsOf(state.options.AdvancedLines());
    if (const auto other = FindPortClash(modPath, options.instance, net)) {
        err << "quendry run: " << PortClashMessage(*other, net) << '\n';
        return false;
    }
    FoundServer found = FindServer(modPath, options.instance);
    if (options.restart && found.state == FoundServer::Running) {
        if (password) {
            const StatusAddress address = ListenAddressOf(NetSettingsOfParameters(found.record.parameters));
            WarnPlayers(address.host, address.port, *password, options.warning.length, options.warning.message, log);
        }
        const StopReport report = StopFoundServer(found, modPath, options.periods.grace);
        log(StoppedLine(report, options.periods.grace));
        if (report.outcome == StopOutcome::Stopped || report.outcome == StopOutcome::Killed)
            found = FoundServer{};
    }
    if (found.InTheWay()) {
        err << "quendry run: " << ServerInTheWayMessage(found, modPath)
            << (found.state == FoundServer::Running && !options.restart ? ", or run with --restart" : "") << '\n';
        return false;
    }
    // What the server's own stop freed is free now; another program's socket on the port stays in the way.
    if (const auto holder = FindPortHolder(net)) {
        err << "quendry run: " << PortHeldMessage(*holder, state.options.GameFolder()) << '\n';
        return false;
    }
    return true;
}

// Stays with the server started in the foreground until it ends, writing the metrics file and handing the events on;
// `rconPassword` as ForegroundServer::Run takes it.
int Supervise(ForegroundServer& foreground, const RunOptions& options, const std::optional<std::string>& rconPassword,
              const LogSink& log) {
    std::optional<MetricsFile> metrics;
    if (options.metricsFile)
        metrics.emplace(*options.metricsFile, log);
    EventDispatcher events(options.events, log);
    return foreground.Run(options.periods, log, rconPassword, [&](const SupervisionReport& report) {
        if (metrics)
            metrics->Take(report);
        events.Take(report);
    });
}

} // namespace

int RunCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(RunVerb, args, out, err, [&](StartState& state, const RunOptions& options, const LogSink& log) {
        std::optional<std::string> password;
        try {
            password = WarningPassword(options.warning, state.options.AdvancedLines());
        } catch (const UsageError& error) {
            err << "quendry run: " << error.what() << '\n';
            return UnusableExit;
        }
        if (options.launch && !MakeWayForServer(state, options, password, log, err))
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
        const std::string gameFolder = state.options.GameFolder();
        // The supervisor asks the remote console whether a server that answers no status query is only busy.
        const auto rconPassword = RconPassword(state.options.AdvancedLines());
        const RunOutcome outcome =
            RunServer(RunSettingsOf(std::move(state.options), state.pathRestored, options.instance), environment);
        if (outcome != RunOutcome::Launched)
            Ask().ShowMessage(QString::fromStdString(RunStopMessage(outcome, gameFolder)));
        if (outcome == RunOutcome::NoMaps && state.mapsList.isEmpty())
            err << "The map catalogue (maps.ini) is empty: build it with 'quendry scan --game DIR' "
                   "first."
                << std::endl;
        if (outcome != RunOutcome::Launched)
            return StoppedExit;
        if (!options.launch)
            return 0;
        if (foreground)
            return foreground->Started() ? Supervise(*foreground, options, rconPassword, log) : NotStartedExit;
        if (!started)
            return NotStartedExit;
        switch (CheckServerStart(*started, options.periods.watch, log)) {
        case StartCheck::Ended:
            return NotStartedExit;
        case StartCheck::Silent:
        case StartCheck::Moved:
            return SilentExit;
        case StartCheck::Skipped:
        case StartCheck::Answering:
        case StartCheck::Running:
            break;
        }
        return 0;
    });
}

int ScanCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(ScanVerb, args, out, err, [&err](StartState& state, const RunOptions&, const LogSink& log) {
        if (ScanGameFolder(state.options.GameFolder(), log, true, err))
            return 0;
        Ask().ShowMessage(QString::fromStdString(NoGameFolderToScanMessage(state.options.GameFolder())));
        return 1;
    });
}
