// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The files a started server leaves in the mod folder: "server.log" (its standard output and error) and
// "server.pid" (which process it is, so that a later command finds it again), "server-NAME.log" and
// "server-NAME.pid" for the instance NAME. Every read and write of them is here.

// "server.log" of `instance` in `modPath`.
std::string ServerLogFile(const std::string& modPath, const Instance& instance);
// "server.pid" of `instance` in `modPath`.
std::string ServerPidFile(const std::string& modPath, const Instance& instance);

// The instances that have a "server.pid" in `modPath`, in the order of their names, the plain one first.
std::vector<Instance> RecordedInstances(const std::string& modPath);

// "server.log" of `instance` in `modPath` opened for appending (created when missing), and its size before this
// start.
struct ServerLog {
    int descriptor = -1; // closed on exec; the caller closes it
    std::uintmax_t size = 0;
};
// Throws FileError naming the file when it cannot be opened.
ServerLog OpenServerLog(const std::string& modPath, const Instance& instance);

// What "server.pid" keeps: the server's identity (process id and the kernel's start time of that process) and the
// program started, to recognise it again and to start it again.
struct ServerRecord {
    pid_t processId = 0;
    std::uint64_t startTime = 0;
    std::string executable; // cod_lnxded or CoDMP.exe, with its path
    std::string parameters; // the server's parameters
    // The program that stays with the server (run --foreground) and stops it when asked; 0 for none.
    pid_t supervisor = 0;
    std::uint64_t supervisorStartTime = 0;
    friend bool operator==(const ServerRecord&, const ServerRecord&) = default;
};

// Writes the record to "server.pid" of `instance` in `modPath`: the process id, the start time, the executable
// and the parameters, one a line, then the supervisor's id and start time when it has one. The parameters carry the
// address the server listens on. The file is this user's, whoever owned the one it replaces.
void WriteServerRecord(const std::string& modPath, const Instance& instance, const ServerRecord& record);
// What a "server.pid" that holds no whole record is told: "FILE holds no server process id and start time (DETAIL);
// when no server of this game folder runs, remove it with: quendry stop --forget --game DIR [--instance NAME]".
std::string DamagedRecordMessage(const std::string& modPath, const Instance& instance, const std::string& detail);
// The record of "server.pid" of `instance` in `modPath`, and in `owner` the user the file belongs to; nullopt when
// there is none. Throws std::runtime_error naming the file when it cannot be read or does not hold a whole record
// (DamagedRecordMessage).
std::optional<ServerRecord> ReadServerRecord(const std::string& modPath, const Instance& instance,
                                             uid_t* owner = nullptr);
// Removes "server.pid" of `instance` in `modPath` when it still names `processId` (a newer start keeps its own).
void RemoveServerRecord(const std::string& modPath, const Instance& instance, pid_t processId);

// The last `count` lines of `path` from byte `offset` on, without line ends; empty when there are none.
std::vector<std::string> LastLines(const std::string& path, std::uintmax_t offset, std::size_t count);

// The server's last output lines in "server.log" of `instance` in `modPath` from `logOffset` on, each as the log's
// name, " : " and the line made terminal-safe.
std::vector<std::string> LastOutputLines(const std::string& modPath, const Instance& instance,
                                         std::uintmax_t logOffset);
