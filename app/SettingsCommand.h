// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

class CommandArguments;

// `quendry settings new|show|set|get`: the settings files of the windows' Save and Open, read and written without
// a window through the option table, by the names administrators know: the console variable each control sets,
// and game, gametype, rotation, dedicated, advanced and messages for what is not one. Values are checked as the
// windows check them; a name the table lacks or a value it refuses ends the command with 2 and writes nothing.

// `settings new FILE [--game DIR] [--force] [NAME=VALUE...]`: the factory settings ("default.ini" of
// "default.bin", what Default loads) with the game folder and the values given, written as a new FILE.
int SettingsNewCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
// `settings show FILE [--json] [--secrets]`: every option with its value and what it accepts. The server
// password and an rcon_password of the advanced lines show as "(set)" unless --secrets.
int SettingsShowCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
// `settings set FILE NAME=VALUE...`: changes the values and writes FILE once, atomically.
int SettingsSetCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
// `settings get FILE NAME`: one value, as `set` takes it (the lines of a list one a line).
int SettingsGetCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);

// The names that the settings commands take, each with what it accepts, one a line: made from the option table.
std::string SettingsNamesHelp();
