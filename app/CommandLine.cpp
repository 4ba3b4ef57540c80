#include "app/CommandLine.h"

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "app/RunCommand.h"
#include "app/VersionText.h"
#include "forms/ConsoleQuestions.h"
#include "forms/DialogQuestions.h"
#include "platform/Paths.h"
#include "store/StoreCommand.h"
#include "zip/ZipCommand.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

void PrintUsage(std::ostream& out) {
    out << "Usage: quendry [COMMAND]\n"
           "Configures and starts a Call of Duty dedicated server.\n"
           "\n"
           "Without a command, opens the main window.\n"
           "\n"
           "  run [--settings FILE] [--game DIR] [--no-launch]\n"
           "                   write the server's files and start it, without a window (run --help)\n"
           "  scan [--settings FILE] [--game DIR]\n"
           "                   build the map catalogue from the game's archives, without a window\n"
           "  store list|add|extract|delete ARCHIVE ...\n"
           "                   look into or change a resource store such as data.bin\n"
           "  zip list ARCHIVE | zip extract ARCHIVE FOLDER NAME...\n"
           "                   list a zip archive (such as a .pk3) or extract members of it\n"
           "  --version        print the program's name and version\n"
           "  --help           print this help\n";
}

int OpenMainWindow(int argc, char** argv) {
    TApplication application(argc, argv);
    DialogQuestions questions;
    SetQuestions(&questions);
    TProgram program;
    program.MainForm().show();
    const int result = application.exec();
    SetQuestions(nullptr);
    return result;
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
