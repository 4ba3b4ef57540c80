// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/CommandArguments.h"

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The program's commands: the one table of their names, options and help, without the code that runs them, so
// that the program can answer a command's help or run a windowless command without loading Qt.

// What runs a command: its arguments, standard output and standard error; its exit code.
using CommandRun = int (*)(const CommandArguments& args, std::ostream& out, std::ostream& err);

// A command's name with what runs it.
struct NamedRun {
    std::string_view name;
    CommandRun run;
};

// One exit status of a command and what it means.
struct ExitStatus {
    int code;
    const char* meaning;
};

// One command of the program: what the parser takes, what `quendry --help` lists and what `quendry NAME --help`
// explains. An option is one line of `options`.
struct Command {
    const char* name;    // one word, or a group and a verb ("store list")
    const char* words;   // the words after the options, as the usage names them ("ARCHIVE FILE [NAME]")
    int minWords;        // how many words it takes
    int maxWords;        // -1: no limit
    const char* summary; // one line for `quendry --help`
    std::vector<CommandOption> options;
    const char* details;                  // the rest of its help: what it does in full
    std::vector<ExitStatus> exitStatus;   // its own statuses, in order; the usage error's is added to them
    bool verbatimWords = false;           // after the first word, every word is a word, even one that begins with "-"
    const char* requiredOption = nullptr; // the long name of an option the command cannot do without
};

const std::vector<Command>& Commands();

// The command that the first words of `args` name, and how many words its name takes; null when none does.
std::pair<const Command*, std::size_t> FindCommand(const std::vector<std::string>& args);

// "run [--settings FILE] [--game DIR] ..." of a command.
std::string CommandSyntax(const Command& command);

// The program's usage: every command with its summary, the window's options and where the files are.
void PrintUsage(std::ostream& out);

// A command line the program cannot take: the message, then the usage, on `err`; exit code 2.
int Refuse(const std::string& name, const std::string& message, const std::string& usage, std::ostream& err);

// What runs the command `name` among `runs`; null when none does.
CommandRun RunOf(std::span<const NamedRun> runs, std::string_view name);

// Runs `command` through `run` on the words of `args` after its name (its first `nameWords`): "--help" prints the
// command's help, and a command line it cannot take prints the message and the command's usage on `err` and gives
// 2. The command's exit code otherwise; an error that ends it gives 1 with its message on `err`.
int ExecuteCommand(const Command& command, std::size_t nameWords, const std::vector<std::string>& args, CommandRun run,
                   std::ostream& out, std::ostream& err);
