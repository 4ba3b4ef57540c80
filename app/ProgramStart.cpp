// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramStart.h"

#include "app/Commands.h"
#include "app/CommandsEntry.h"
#include "app/ProgramCommands.h"
#include "app/WindowEntry.h"
#include "platform/HeapReuse.h"
#include "platform/Instance.h"
#include "platform/Paths.h"
#include "platform/SharedLibrary.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Without a display (none in DISPLAY or WAYLAND_DISPLAY, and no Qt platform asked for) Qt would abort; says
// instead what the window needs and what works without one, and returns false.
bool HasDisplay(std::ostream& err) {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(variable); value && *value)
            return true;
    err << "quendry: the main window needs a display, and none was found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
           "  On a machine without one, start it under a virtual display:  xvfb-run quendry\n"
           "  The commands work without a window:  quendry --help\n";
    return false;
}

// The private library `name`: beside the executable or in the install's library folder.
std::string PrivateLibraryPath(const char* name) {
    const std::string executable = GetProgramPath();
    return PrivateLibrary(executable.substr(0, executable.find_last_of(PathSeparator)), name);
}

// The function `symbol` of the library at `path`; null, with what cannot be done (`unusable`) and why on standard
// error, when the library cannot be loaded or lacks it.
template <typename Function> Function LoadFunction(const std::string& path, const char* symbol, const char* unusable) {
    std::string error;
    const auto library = SharedLibrary::Load(path, error);
    const auto function = library ? library->Resolve<Function>(symbol) : nullptr;
    if (!function)
        std::cerr << "quendry: " << unusable << ": " << (library ? path + " gives no " + symbol : error) << '\n';
    return function;
}

// Opens the main window for `instance` from the window library. A system without the library has the windowless
// package only.
int OpenMainWindow(int argc, char** argv, const Instance& instance) {
    if (!HasDisplay(std::cerr))
        return 2;
    const std::string path = PrivateLibraryPath(WindowLibraryName);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        std::cerr << "quendry: the main window is not installed (" << path << " is missing).\n"
                  << "Install it with:  sudo apt install quendry-gui\n"
                  << "The commands work without it:  quendry --help\n";
        return 1;
    }
    const auto open = LoadFunction<OpenMainWindowFunction>(path, OpenMainWindowSymbol, "cannot open the main window");
    return open ? open(argc, argv, instance.Name().c_str()) : 1;
}

// `quendry --instance NAME` (or --instance=NAME): the instance whose window opens; nullopt after a command line
// it cannot take, told on `err`.
std::optional<Instance> WindowInstanceOf(const std::vector<std::string>& args, std::ostream& err) {
    std::optional<std::string> name;
    if (args.size() == 2 && args[0] == "--instance")
        name = args[1];
    else if (args.size() == 1 && args[0].rfind("--instance=", 0) == 0)
        name = args[0].substr(11);
    std::ostringstream usage;
    PrintUsage(usage);
    if (!name) {
        Refuse("", "the main window takes --instance NAME and nothing else", usage.str(), err);
        return std::nullopt;
    }
    auto instance = Instance::Named(*name);
    if (!instance)
        Refuse("", Instance::NameRule(*name), usage.str(), err);
    return instance;
}

} // namespace

int RunQuendry(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    if (argc < 2)
        return OpenMainWindow(argc, argv, Instance());
    if (std::string(argv[1]).rfind("--instance", 0) == 0) {
        const auto instance = WindowInstanceOf(std::vector<std::string>(argv + 1, argv + argc), std::cerr);
        return instance ? OpenMainWindow(argc, argv, *instance) : 2;
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto [command, nameWords] = FindCommand(args); command)
        if (const CommandRun run = RunOf(ProgramCommandRuns(), command->name))
            return ExecuteCommand(*command, nameWords, args, run, std::cout, std::cerr);
    const auto runCommandLine = LoadFunction<RunCommandLineFunction>(PrivateLibraryPath(CommandsLibraryName),
                                                                     RunCommandLineSymbol, "cannot run the command");
    return runCommandLine ? runCommandLine(argc, argv) : 1;
}
