#pragma once

// The program's entry: without arguments it opens the main window; the words "run", "stop", "scan", "status",
// "store" and "paths" start the commands that work without a display.
int RunQuendry(int argc, char** argv);
