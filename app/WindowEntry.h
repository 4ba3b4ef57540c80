// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window lives in a library of its own, so that the program's commands need neither the window
// libraries nor a display: the program loads it only to open the window.

// The library's file name, in the program's folder.
inline constexpr const char* WindowLibraryName = "QuendryWindow.so";

// The name under which the library gives OpenMainWindow.
inline constexpr const char* OpenMainWindowSymbol = "QuendryOpenMainWindow";

// Opens the main window for the instance `instanceName` (empty: the plain one, else a valid name) and runs until it
// closes; the program's exit code.
using OpenMainWindowFunction = int (*)(int argc, char** argv, const char* instanceName);
