#pragma once

#include <iosfwd>

class CommandArguments;

// `quendry run [--settings FILE] [--game DIR] [--no-launch | --watch SECONDS | --foreground]`: the Run of the
// main window, without a window. Prepares the state the window has at start, loads FILE as Open does, takes DIR
// as the game folder, and runs. Every run log line goes to `out` as it is logged; messages and errors go to
// `err`. The started server is checked for SECONDS (3 by default); with --foreground the command stays until
// the server ends, passing SIGTERM and SIGINT on to it, and returns its exit code. Otherwise returns 0 when the
// server runs after the check (or, with --no-launch, when everything was written), 1 when the Run stopped, 2 for
// a FILE that cannot be read or a DIR that is no folder (named with the system's reason, before anything is
// written), 3 when the server did not start or stopped during the check. Never saves the default settings file.
// Throws UsageError for option values it cannot take.
int RunCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);

// `quendry scan [--settings FILE] [--game DIR]`: Scan Maps of the main window, without a window, prepared as
// RunCommand prepares the Run. Returns 0 when "maps.ini" was written, 1 when the game folder is not valid or
// the scan failed, 2 for a FILE that cannot be read.
int ScanCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
