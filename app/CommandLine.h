// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// Runs the command that `args` (the words after the program's name, at least one) name, through the one command
// table and its parser: "quendry COMMAND --help" prints the command's help, and a command line it cannot take
// prints the message and the command's usage on `err` and gives 2; "--version" and "--help" print the program's
// version and its usage. The command's exit code otherwise; an error that ends it gives 1 with its message on
// `err`. Needs a QCoreApplication.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What runs the command `name` of the table; null for a name the table lacks.
CommandRun CommandRunOf(std::string_view name);
