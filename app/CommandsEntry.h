// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands that need Qt live in a library of their own, so that the program starts without Qt for the
// commands it runs itself (a status query, a zip listing): it loads the library for every other command line.

// The library's file name, in the program's folder.
inline constexpr const char* CommandsLibraryName = "QuendryCommands.so";

// The name under which the library gives its entry.
inline constexpr const char* RunCommandLineSymbol = "QuendryRunCommandLine";

// Runs the command line `argv` (a command, "--version" or "--help") as RunCommandLine does, with the program's
// standard output and error; the program's exit code.
using RunCommandLineFunction = int (*)(int argc, char** argv);
