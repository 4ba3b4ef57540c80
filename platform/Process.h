// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Starting other programs: the game server, its client, the log viewer and the documents of the program.

// Result codes of ShellOpen, as the Windows shell gives them: above 32 means started.
inline constexpr int ShellOpenStarted = 42;
inline constexpr int ShellOpenFileNotFound = 2;
inline constexpr int ShellOpenNoProgram = 31;

// Returned by StartProgram when the process could not be started; nothing is waited for then.
inline constexpr std::int64_t ProgramNotStarted = 0;
// Returned by StartProgram after it waited for the program to end.
inline constexpr std::int64_t ProgramWaitedFor = -1;

// Splits a command line into words the way a Windows program does: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// True for a Windows program, which runs through the Windows program runner: a name ending in ".exe", any case.
bool IsWindowsProgram(const std::string& file);

// The program that starts a Windows program: $QUENDRY_EXE_RUNNER, else wine.
std::string WindowsProgramRunner();

// The command line that StartProgram runs: the command, one blank, then the parameters.
std::string BuildCommandLine(const std::string& command, const std::string& parameters);

// Starts `command` followed by `parameters`. Without `wait` returns the process id (the caller's handle);
// with `wait` waits for the end and returns ProgramWaitedFor. Returns ProgramNotStarted on failure. Its windows
// are placed by the desktop.
std::int64_t StartProgram(const std::string& command, const std::string& parameters, bool wait);

// Waits for the process to end while window events keep being handled, sleeping between polls; returns soon
// after the end even when nobody reaps the ended process, and reaps it when it is a child of this program.
void WaitForProgram(std::int64_t processId);

// The working folder ShellOpen gives a program: its text up to and including the last separator, else empty.
std::string ShellWorkingFolder(const std::string& file);

// Opens `file` as the shell would: a ".exe" through the Windows program runner ($QUENDRY_EXE_RUNNER, else
// wine) with `parameters` in the program's folder, anything else (folder, document, link) with the desktop's
// opener (xdg-open, found on PATH) in the current folder. Returns one of the ShellOpen codes above.
int ShellOpen(const std::string& file, const std::string& parameters);
