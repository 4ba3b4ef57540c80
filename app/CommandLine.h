#pragma once

// The program's entry: without arguments it opens the main window; the commands "run", "stop", "scan", "status",
// "store", "zip" and "paths" work without a display, and "--version" and "--help" print the program's version and
// its usage.
int RunQuendry(int argc, char** argv);
