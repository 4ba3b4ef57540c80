// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"

#include <string>
#include <vector>

// Which server a Run starts and how: the game's native Linux server when the game folder holds an executable one,
// else the Windows server through the Windows program runner.

inline constexpr const char* NativeServerName = "cod_lnxded";
inline constexpr const char* WindowsServerName = "CoDMP.exe";

// What a Run starts: the server program, its parameters, the mod folder that keeps its output and process id, and
// the instance whose files those are.
struct ServerLaunch {
    std::string executable; // cod_lnxded or CoDMP.exe in the game folder
    std::string parameters; // the server's parameters, as one command line text
    std::string modPath;    // the mod folder under the game folder
    Instance instance{};
};

// True when `gameFolder` holds an executable native server.
bool HasNativeServer(const std::string& gameFolder);

// True when `gameFolder` holds a server a Run can start: an executable native server or CoDMP.exe.
bool HasServerProgram(const std::string& gameFolder);

// The server a Run starts from `gameFolder`: the native server when it is there and executable, else CoDMP.exe.
std::string ServerExecutable(const std::string& gameFolder);

// One start of a program: what runs, with which arguments, in which folder.
struct ServerCommand {
    std::string program;                // a path, or a name looked up on PATH
    std::vector<std::string> arguments; // after the program's name
    std::string workingFolder;
};

// The command that starts `executable` with `parameters` (split like a Windows command line) in the executable's
// folder: a ".exe" through `runner`, which gets the executable as its first argument, anything else directly.
ServerCommand MakeServerCommand(const std::string& executable, const std::string& parameters,
                                const std::string& runner);

// How the run log names the started server: "cod_lnxded (native)" or "CoDMP.exe (through wine)".
std::string ServerProgramText(const std::string& executable, const std::string& runner);
