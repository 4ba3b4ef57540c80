// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The program's entry: without arguments it opens the main window; with a command of the command table it runs
// that command without a display, and "--version" and "--help" print the program's version and its usage.
int RunQuendry(int argc, char** argv);

// Runs the command that `args` (the words after the program's name, at least one) name, through the one command
// table and its parser: "quendry COMMAND --help" prints the command's help, and a command line it cannot take
// prints the message and the command's usage on `err` and gives 2. The command's exit code otherwise; an error
// that ends it gives 1 with its message on `err`. Needs a QCoreApplication.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
