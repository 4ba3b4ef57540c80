#include "app/CommandLine.h"

#include "app/RunCommand.h"
#include "app/StatusCommand.h"
#include "app/StopCommand.h"
#include "app/VersionText.h"
#include "app/WindowEntry.h"
#include "forms/ConsoleQuestions.h"
#include "platform/Paths.h"
#include "settings/SettingsLocation.h"
#include "store/StoreCommand.h"
#include "zip/ZipCommand.h"

#include <QLibrary>

#include <iomanip>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

void PrintUsage(std::ostream& out) {
    out << "Usage: quendry [COMMAND]\n"
           "Configures and starts a Call of Duty dedicated server.\n"
           "\n"
           "Without a command, opens the main window.\n"
           "\n"
           "  run [--settings FILE] [--game DIR] [--no-launch | --watch SECONDS | --foreground]\n"
           "                   write the server's files and start it, without a window (run --help)\n"
           "  stop --game DIR  stop the server that run started from DIR\n"
           "  scan [--settings FILE] [--game DIR]\n"
           "                   build the map catalogue from the game's archives, without a window\n"
           "  status [--host H] [--port P]\n"
           "                   print the map, gametype and players of a running server (127.0.0.1:28960)\n"
           "  store create|list|add|extract|delete ARCHIVE ...\n"
           "                   look into or change a resource store such as data.bin\n"
           "  zip list ARCHIVE | zip extract ARCHIVE FOLDER NAME...\n"
           "                   list a zip archive (such as a .pk3) or extract members of it\n"
           "  paths            print the folders in use and where each file is read or written\n"
           "  --version        print the program's name and version\n"
           "  --help           print this help\n"
           "\n"
           "Files (quendry paths prints the folders in use):\n"
           "  Beside the program: when its user can write the executable's folder and the side files are there\n"
           "  (a build, an unpacked folder), every file stays beside the executable.\n"
           "  Installed: when the executable's folder cannot be written, or the side files are in the install's\n"
           "  share/quendry instead, data.bin, default.bin, readme.txt, help/ and utils/ are read from there, and\n"
           "  quendry.ini (the last state of the windows), maps.ini, configs/ (named settings) and the user's\n"
           "  copies of changed stores are written in $XDG_CONFIG_HOME/quendry (~/.config/quendry).\n"
           "  Scratch files go to $TMPDIR/Quendry-UID (/tmp/Quendry-UID), a folder of the user's own.\n";
}

// `quendry paths`: the layout in use and the place of every side file, one "name  path" line each.
void PrintPaths(std::ostream& out) {
    const ProgramFolders folders = GetProgramFolders();
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"Layout", (folders.installed ? "installed: " : "beside the program: ") + folders.reason},
        {"Program", GetProgramPath()},
        {"Side files", folders.sideFiles},
        {"User files", folders.userFiles},
        {"data.bin", SideFile("data.bin")},
        {"default.bin", SideFile("default.bin")},
        {"readme.txt", SideFile("readme.txt")},
        {"help", SideFile("help")},
        {"utils", SideFile("utils")},
        {"Last state", DefaultSettingsFile().toStdString()},
        {"maps.ini", UserFile("maps.ini")},
        {"configs", ConfigsFolder().toStdString()},
        {"Scratch", ScratchFolderPath()},
    };
    for (const auto& [name, path] : lines)
        out << std::left << std::setw(13) << name << path << '\n';
}

// Without a display (none in DISPLAY or WAYLAND_DISPLAY, and no Qt platform asked for) Qt would abort; says
// instead what the window needs and what works without one, and returns false.
bool HasDisplay(std::ostream& err) {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    err << "quendry: the main window needs a display, and none was found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
           "  On a machine without one, start it under a virtual display:  xvfb-run quendry\n"
           "  The commands work without a window:  quendry --help\n";
    return false;
}

// Loads the window library from the executable's own folder and opens the main window.
int OpenMainWindow(int argc, char** argv) {
    if (!HasDisplay(std::cerr))
        return 2;
    const std::string executable = GetProgramPath();
    const std::string folder = executable.substr(0, executable.find_last_of(PathSeparator));
    QLibrary library(QString::fromStdString(JoinPath(folder, WindowLibraryName)));
    const auto open = reinterpret_cast<OpenMainWindowFunction>(library.resolve(OpenMainWindowSymbol));
    if (!open) {
        std::cerr << "quendry: cannot open the main window: " << library.errorString().toStdString() << '\n';
        return 1;
    }
    return open(argc, argv);
}

} // namespace

int RunQuendry(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return OpenMainWindow(argc, argv);
    const std::string& command = args.front();
    if (command == "--version") {
        std::cout << MainFormCaption(QString::fromStdString(GetVersionText())).toStdString() << '\n';
        return 0;
    }
    if (IsRunCommand(args))
        return RunCommand(argc, argv, std::cout, std::cerr);
    if (IsScanCommand(args))
        return ScanCommand(argc, argv, std::cout, std::cerr);
    if (command == "stop")
        return StopCommand(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    if (command == "paths") {
        if (args.size() > 1) {
            std::cerr << "quendry paths: unexpected argument '" << args[1] << "'\n";
            return 2;
        }
        PrintPaths(std::cout);
        return 0;
    }
    if (command == "status")
        return StatusCommand(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    if (command == "store")
        return RunStoreCommand(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    if (command == "zip") {
        // Questions of the extraction (a password, a damaged member) are answered on the terminal.
        ConsoleQuestions questions(std::cerr, &std::cin);
        SetQuestions(&questions);
        const int result = RunZipCommand(std::vector<std::string>(args.begin() + 1, args.end()), GetProgramFolder(),
                                         std::cout, std::cerr);
        SetQuestions(nullptr);
        return result;
    }
    if (command == "--help" || command == "-h") {
        PrintUsage(std::cout);
        return 0;
    }
    std::cerr << "quendry: unknown command '" << command << "'\n";
    PrintUsage(std::cerr);
    return 2;
}
