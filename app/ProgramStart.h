// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's entry: without arguments it opens the main window; a command it runs itself (ProgramCommands) runs
// at once, without Qt; every other command line (a command, "--version", "--help") runs in the commands library.
int RunQuendry(int argc, char** argv);
