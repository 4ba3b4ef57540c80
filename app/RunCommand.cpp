#include "app/RunCommand.h"

#include "app/Application.h"
#include "forms/ConsoleQuestions.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <QLineEdit>

#include <cerrno>
#include <cstring>
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

void PrintRunUsage(std::ostream& out) {
    out << "Usage: quendry run [--settings FILE] [--game DIR] [--no-launch]\n"
           "Writes the server's files and starts the dedicated server, as the Run button does, without a window.\n"
           "\n"
           "  --settings FILE  load these settings first, as Open does\n"
           "  --game DIR       the Call of Duty folder (the one holding CoDMP.exe)\n"
           "  --no-launch      write everything, print the server's command line instead of starting it\n";
}

// Reads the options after "run"; nullopt after a usage error (already reported).
std::optional<RunOptions> ParseRunOptions(const std::vector<std::string>& args, std::ostream& err) {
    RunOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--settings" && hasValue) {
            options.settingsFile = args[++i];
        } else if (arg == "--game" && hasValue) {
            options.gameFolder = args[++i];
        } else if (arg == "--no-launch") {
            options.launch = false;
        } else {
            err << "quendry run: unexpected argument '" << arg << "'\n";
            PrintRunUsage(err);
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

// A settings file or game folder that the Run could not use silently would start the server with the saved
// settings instead: name it and the system's reason, before anything is read or written.
bool CheckRunOptions(const RunOptions& options, std::ostream& err) {
    if (options.settingsFile) {
        try {
            ReadWholeFile(*options.settingsFile);
        } catch (const FileError& error) {
            err << "quendry run: settings file " << *options.settingsFile << ": " << error.Reason() << '\n';
            return false;
        }
    }
    if (options.gameFolder) {
        struct stat status {};
        const int error = ::stat(options.gameFolder->c_str(), &status) != 0 ? errno
                          : !S_ISDIR(status.st_mode)                        ? ENOTDIR
                                                                            : 0;
        if (error != 0) {
            err << "quendry run: game folder " << *options.gameFolder << ": " << std::strerror(error) << '\n';
            return false;
        }
    }
    return true;
}

} // namespace

bool IsRunCommand(const std::vector<std::string>& args) {
    return !args.empty() && args.front() == "run";
}

int RunCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
        PrintRunUsage(out);
        return 0;
    }
    const auto options = ParseRunOptions(args, err);
    if (!options || !CheckRunOptions(*options, err))
        return 2;

    // The same windows as on the desktop, never shown, so the Run reads exactly what the window would.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropQtMessages);
    TApplication application(argc, argv);
    ConsoleQuestions questions(err);
    SetQuestions(&questions);
    int result = 1;
    try {
        TProgram program;
        TMainForm& form = program.MainForm();
        form.SetLogEcho([&out](const QString& line) { out << line.toStdString() << std::endl; });
        form.FormShow();
        if (options->settingsFile)
            form.LoadSettings(QString::fromStdString(*options->settingsFile));
        if (options->gameFolder)
            form.Find<QLineEdit>(QStringLiteral("EditPath"))
                ->setText(QString::fromStdString(TrimTrailingBackslashes(*options->gameFolder)));
        if (!options->launch)
            form.SetServerLauncher([&out](const std::string& executable, const std::string& parameters) {
                out << "Command line: " << BuildCommandLine(executable, parameters) << std::endl;
                return std::optional<int>();
            });
        result = form.RunFromWindow() == RunOutcome::Launched ? 0 : 1;
    } catch (const std::exception& error) {
        questions.ShowError(QString::fromUtf8(error.what()));
    }
    SetQuestions(nullptr);
    return result;
}
