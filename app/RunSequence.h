// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"
#include "platform/LogSink.h"
#include "server/GamePort.h"
#include "server/ServerProgram.h"

#include <QDateTime>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The Run: check the game folder and the rotation, install the mod's files, patch the game's default
// configuration once, write "standard.cfg" and "advanced.cfg" (of the instance), and start the dedicated server.
// The window and the command line gather the same settings and run the same steps.

// What a Run reads.
struct RunSettings {
    std::string modStore;      // the store of the mod's files, "data.bin"
    std::string modFolder;     // under the game folder; the server's fs_game
    bool pathRestored = false; // present mod files are kept only when the game folder was restored
    OptionValues options;      // every option: the game folder, the server type, the advanced list, the rotation
    Instance instance;         // whose configuration files are written and started
};

// A Run of these option values for `instance`, with the program's mod store and mod folder.
RunSettings RunSettingsOf(OptionValues options, bool pathRestored, const Instance& instance);

// How far a Run went.
enum class RunOutcome {
    InvalidGamePath, // the game folder holds no server: nothing was written
    NoMaps,          // the rotation is empty: nothing was written
    Launched,        // every step ran, up to the launch
};

// What the user is told when a Run of the game folder `gameFolder` stops before writing anything; a folder that
// holds no server program is named with what it lacks.
std::string RunStopMessage(RunOutcome outcome, const std::string& gameFolder);
// What the user is told when Scan Maps has no valid game folder, as RunStopMessage says it.
std::string NoGameFolderToScanMessage(const std::string& gameFolder);
// True when the game folder is to be picked again: none is chosen or it is no folder. A folder without a server
// program is left for the user to fill or change.
bool GameFolderToPick(const std::string& gameFolder);

// Starts the server; returns the shell's code, or nullopt when the launch was skipped on purpose.
using ServerLauncher = std::function<std::optional<int>(const ServerLaunch& launch)>;

// The world around a Run: the run log, the clock and the launcher.
struct RunEnvironment {
    LogSink log;
    std::function<QDateTime()> now;
    ServerLauncher launch;
};

// Runs the whole sequence; a failing step logs "Run stopped : " and its error, then throws, and the lines logged
// so far stay.
RunOutcome RunServer(const RunSettings& settings, const RunEnvironment& environment);

// "Session : " followed by the short date, a blank and the long time; the time is left out at exactly midnight.
std::string SessionLine(const QDateTime& moment);

// True when the game folder holds an executable cod_lnxded or CoDMP.exe; logs "Path : valid path", or
// "Path : invalid path" and a line that names the folder checked and the programs looked for.
bool CheckGamePath(const std::string& gameFolder, const LogSink& log);

// Extracts every member of "data.bin" into the mod folder, keeping present files when the path was restored.
// The archive is only read; a missing or empty one logs "data.bin holds no files: nothing to install".
void InstallModFiles(const RunSettings& settings, const LogSink& log);

// Creates "main/default_mp.cfg" from "main/config_mp.cfg" (or empty) unless it exists already.
void PatchDefaultConfig(const std::string& gameFolder, const LogSink& log);

// Copies `source` to `destination`, both below `folder`, whole and atomically; a new copy gets the source's mode
// (less the umask), so it is no more readable than its source. Links on the way below `folder` are followed only
// when they belong to the running user or root. Throws when it cannot.
void ShellCopyFile(const std::string& folder, const std::string& source, const std::string& destination);

// The server's command line parameters, which execute the cfg files of `instance`; the network settings of the
// advanced lines come before the cfg files, as the engine opens its socket before it executes any of them.
std::string ServerParameters(int dedicated, const std::string& modFolder, const NetSettings& net,
                             const Instance& instance);
