// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>

class CommandArguments;

// `quendry run [--settings FILE] [--game DIR] [--instance NAME] [--restart] [--watch SECONDS] [--no-launch |
// --foreground [--hang SECONDS] [--grace SECONDS]]`: the Run of the main window, without a window. Prepares the
// state the window of the instance has at start, loads FILE as Open does, takes DIR as the game folder, and runs.
// Every run log line goes to `out` as it is logged; messages and errors go to `err`. A server of the game folder
// and instance that still runs is stopped first with --restart; otherwise it stands in the way, as does another
// instance's live server on the same port, which is never stopped. The started server is checked for up to SECONDS (15
// by default) for its status answer; with --foreground the command stays until the server ends (ForegroundServer).
// Returns 0 when the server answers (or, with --no-launch, when everything was written), 1 when the Run stopped, 2 for
// a FILE that cannot be read or a DIR that is no folder (named with the system's reason, before anything is written), 3
// when the server did not start or stopped during the check, 4 when the server of the game folder runs already or
// another instance holds the port, 5
// when the server runs but did not answer within the check; in the foreground, 0 after a stop asked for by SIGTERM
// or SIGINT, the server's exit code when it ended by itself, 6 when it hung and was stopped; there, 1, 2 and 4 are
// followed by a line on `err` that says restarting will not help. Never saves the default settings file. Throws
// UsageError for option values it cannot take.
int RunCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);

// `quendry scan [--settings FILE] [--game DIR]`: Scan Maps of the main window, without a window, prepared as
// RunCommand prepares the Run. Returns 0 when "maps.ini" was written, 1 when the game folder is not valid or
// the scan failed, 2 for a FILE that cannot be read.
int ScanCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
