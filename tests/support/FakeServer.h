// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// A fake game server: a shell script that records where and how it was started, prints some output, and then
// either ends at once or runs until it is told to end.

// The exit code of a running fake server after SIGTERM, and after SIGINT.
inline constexpr int FakeServerTermExit = 7;
inline constexpr int FakeServerIntExit = 9;

// Writes an executable script at `path`. Each start prints `output` on its standard output and "to stderr" on its
// standard error, then writes `record` whole: its working folder, then each argument, one a line; then it ends with
// `exitCode`, or, without one, runs until SIGTERM or SIGINT, which it handles from its start. Returns `path`.
std::string WriteFakeServer(const std::string& path, const std::string& record, const std::string& output,
                            std::optional<int> exitCode);

// The content of `path` once it exists, waiting up to ten seconds; empty when it never came.
std::string WaitForFile(const std::string& path);

// True when process `processId` still exists and has not ended (a zombie counts as ended).
bool ProcessRuns(long processId);

// The stand-in engine's executable.
std::string StandInEngine();

// How a start script runs the stand-in engine.
enum class EngineWrapper {
    Exec,      // in place of the script
    Child,     // as the script's child, which the script waits for, as an administrator's wrapper does
    Background // put in the background with nohup, and the script ends at once with 0
};

// Writes an executable script at `path` that runs the stand-in engine (StandInEngine.cpp, built with the tests)
// with `options` (its own, such as "--never-answer") before the server's arguments, as `wrapper` says. Returns
// `path`.
std::string WriteEngineScript(const std::string& path, const std::string& options, EngineWrapper wrapper);

// The status reply recorded from a real engine of the game's family (tests/data/engine-replies/getstatus.bin).
std::string RecordedEngineReplyFile();

// A UDP port of 127.0.0.1 that nobody uses at the moment.
int FreeUdpPort();
