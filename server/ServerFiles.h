// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The files a started server leaves in the mod folder: "server.log" (its standard output and error) and
// "server.pid" (which process it is, so that a later command finds it again). Every read and write of them is here.

// "server.log" in `modPath`.
std::string ServerLogFile(const std::string& modPath);
// "server.pid" in `modPath`.
std::string ServerPidFile(const std::string& modPath);

// "server.log" in `modPath` opened for appending (created when missing), and its size before this start.
struct ServerLog {
    int descriptor = -1; // closed on exec; the caller closes it
    std::uintmax_t size = 0;
};
// Throws FileError naming the file when it cannot be opened.
ServerLog OpenServerLog(const std::string& modPath);

// What "server.pid" keeps: the server's identity (process id and the kernel's start time of that process) and the
// program started, to recognise it again and to start it again.
struct ServerRecord {
    pid_t processId = 0;
    std::uint64_t startTime = 0;
    std::string executable; // cod_lnxded or CoDMP.exe, with its path
    std::string parameters; // the server's parameters
    friend bool operator==(const ServerRecord&, const ServerRecord&) = default;
};

// Writes the record to "server.pid" in `modPath`: the process id, the start time, the executable and the
// parameters, one a line.
void WriteServerRecord(const std::string& modPath, const ServerRecord& record);
// The record of "server.pid" in `modPath`, and in `owner` the user the file belongs to; nullopt when there is
// none. Throws std::runtime_error naming the file when it cannot be read or does not hold a whole record.
std::optional<ServerRecord> ReadServerRecord(const std::string& modPath, uid_t* owner = nullptr);
// Removes "server.pid" in `modPath` when it still names `processId` (a newer start keeps its own).
void RemoveServerRecord(const std::string& modPath, pid_t processId);

// The last `count` lines of `path` from byte `offset` on, without line ends; empty when there are none.
std::vector<std::string> LastLines(const std::string& path, std::uintmax_t offset, std::size_t count);

// The server's last output lines in "server.log" of `modPath` from `logOffset` on, each as "server.log : " and
// the line made terminal-safe.
std::vector<std::string> LastOutputLines(const std::string& modPath, std::uintmax_t logOffset);
