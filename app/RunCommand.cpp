#include "app/RunCommand.h"

#include "ModFolder.h"

#include "app/RunSequence.h"
#include "app/StartState.h"
#include "forms/ConsoleQuestions.h"
#include "maps/MapScan.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "zip/Zip.h"

#include <QCoreApplication>

#include <cerrno>
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
};

// One windowless command: its name, its usage text, and whether it takes --no-launch.
struct HeadlessCommand {
    const char* name;
    const char* usage;
    bool takesNoLaunch;
    // A game folder that does not exist stops the command before anything is written (run) or is reported
    // as an invalid path by the command itself (scan).
    bool refusesMissingGameFolder;
};

const HeadlessCommand RunVerb{
    "run",
    "Usage: quendry run [--settings FILE] [--game DIR] [--no-launch]\n"
    "Writes the server's files and starts the dedicated server, as the Run button does, without "
    "a window.\n"
    "\n"
    "  --settings FILE  load these settings first, as Open does\n"
    "  --game DIR       the Call of Duty folder (the one holding CoDMP.exe)\n"
    "  --no-launch      write everything, print the server's command line instead of starting "
    "it\n",
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
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--settings" && hasValue) {
            options.settingsFile = args[++i];
        } else if (arg == "--game" && hasValue) {
            options.gameFolder = args[++i];
        } else if (arg == "--no-launch" && command.takesNoLaunch) {
            options.launch = false;
        } else {
            err << "quendry " << command.name << ": unexpected argument '" << arg << "'\n";
            err << command.usage;
            return std::nullopt;
        }
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

} // namespace

bool IsRunCommand(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == RunVerb.name;
}

int RunCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return RunHeadless(
        RunVerb, argc, argv, out, err, [&](const StartState& state, const RunOptions& options, const LogSink& log) {
            ServerLauncher launch = LaunchServer;
            if (!options.launch)
                launch = [&out](const std::string& executable, const std::string& parameters) {
                    out << "Command line: " << BuildCommandLine(executable, parameters) << std::endl;
                    return std::optional<int>();
                };
            const RunEnvironment environment{log, [] { return QDateTime::currentDateTime(); }, launch};
            const RunOutcome outcome = RunServer(RunSettingsOf(state.options, state.pathRestored), environment);
            if (outcome != RunOutcome::Launched)
                Ask().ShowMessage(QString::fromStdString(RunStopMessage(outcome)));
            if (outcome == RunOutcome::NoMaps && state.mapsList.isEmpty())
                err << "The map catalogue (maps.ini) is empty: build it with 'quendry scan --game DIR' "
                       "first."
                    << std::endl;
            return outcome == RunOutcome::Launched ? 0 : 1;
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
