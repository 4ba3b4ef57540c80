#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The files a started server leaves in the mod folder: "server.log" (its standard output and error) and
// "server.pid" (which process it is, so that a later command can stop it).

// "server.log" in `modPath`.
std::string ServerLogFile(const std::string& modPath);
// "server.pid" in `modPath`.
std::string ServerPidFile(const std::string& modPath);

// What "server.pid" keeps: the process and how it was started, to recognise it again.
struct ServerRecord {
    pid_t processId = 0;
    std::string executable; // cod_lnxded or CoDMP.exe, with its path
    std::string parameters; // the server's parameters
    friend bool operator==(const ServerRecord&, const ServerRecord&) = default;
};

// Writes the record to "server.pid" in `modPath`: the process id, the executable and the parameters, one a line.
void WriteServerRecord(const std::string& modPath, const ServerRecord& record);
// The record of "server.pid" in `modPath`; nullopt when there is none. Throws std::runtime_error naming the file
// when it cannot be read or holds no process id.
std::optional<ServerRecord> ReadServerRecord(const std::string& modPath);
// Removes "server.pid" in `modPath` when it still names `processId` (a newer start keeps its own).
void RemoveServerRecord(const std::string& modPath, pid_t processId);

// The words of process `processId`'s command line (/proc/PID/cmdline); empty when it cannot be read.
std::vector<std::string> ProcessCommandLine(pid_t processId);
// True when `commandLine` is the one of the recorded server: it holds the server's parameters, word by word,
// and a word naming its executable (any folder, any letter case, so that a runner that rewrites the path of a
// Windows program still matches).
bool IsServerCommandLine(const std::vector<std::string>& commandLine, const ServerRecord& record);

// The last `count` lines of `path` from byte `offset` on, without line ends; empty when there are none.
std::vector<std::string> LastLines(const std::string& path, std::uintmax_t offset, std::size_t count);

// The run log lines of a server that ended during the start check: "Server stopped at start (exit code N)", then
// its last output lines from `logOffset` on, each as "server.log : " and the line made terminal-safe.
std::vector<std::string> StoppedAtStartLines(int exitCode, const std::string& logFile, std::uintmax_t logOffset);
