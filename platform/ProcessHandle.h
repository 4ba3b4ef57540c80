// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <csignal>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Processes of other programs, known for sure: held through a process descriptor, recognised by their id and the
// kernel's start time, and signalled and awaited with their whole session (a program started in a session of its
// own keeps everything it starts in it).

// A process held through a process descriptor: signals and waits always reach that process, never another one
// that reused its id after it ended.
class ProcessHandle {
public:
    // Holds process `processId`; nullopt when no such process exists (any more).
    static std::optional<ProcessHandle> Open(pid_t processId);

    ProcessHandle(ProcessHandle&& other) noexcept;
    ProcessHandle& operator=(ProcessHandle&& other) noexcept;
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    ~ProcessHandle();

    pid_t Id() const { return id_; }
    // Becomes readable when the process ends, for an event loop to watch.
    int Descriptor() const { return descriptor_; }

    // Sends `signal` to this process alone; false when it is gone.
    bool Signal(int signal) const;
    // True once the process has ended, waiting at most `timeout`. `idle`, when given, runs between short polls
    // (a window keeps drawing).
    bool WaitForEnd(std::chrono::milliseconds timeout, const std::function<void()>& idle = {}) const;
    // The exit code of an ended child of this program (128 + the signal's number when a signal ended it), which is
    // reaped; nullopt while it runs or when it is not a child of this program.
    std::optional<int> Reap() const;

private:
    ProcessHandle(pid_t processId, int descriptor) : id_(processId), descriptor_(descriptor) {}

    pid_t id_ = 0;
    int descriptor_ = -1;
};

// The exit code a shell gives for a wait status: the exit status, or 128 + the signal's number.
int ExitCodeOf(int waitStatus);

// The kernel's start time of process `processId` (field 22 of /proc/PID/stat, in clock ticks since boot); with
// the id it names one process for good. Nullopt when there is no such process.
std::optional<std::uint64_t> ProcessStartTime(pid_t processId);

// When process `processId` started, by the system's clock (to the clock tick); nullopt when there is no such process.
std::optional<std::chrono::system_clock::time_point> ProcessStartedAt(pid_t processId);

// The working folder of process `processId`; empty when it cannot be read (gone, or not this user's to look at).
std::string ProcessWorkingFolder(pid_t processId);

// The command name of process `processId` (/proc/PID/comm); empty when it cannot be read.
std::string ProcessName(pid_t processId);

// The user who owns process `processId`; nullopt when there is no such process.
std::optional<uid_t> ProcessOwner(pid_t processId);

// The ids of every process that /proc shows now.
std::vector<pid_t> ProcessIds();

// The session that process `processId` belongs to (field 6 of /proc/PID/stat); nullopt when it is gone.
std::optional<pid_t> ProcessSession(pid_t processId);

// The one-letter state of process `processId` (field 3 of /proc/PID/stat: R running, S sleeping, T stopped, Z
// ended and not yet reaped...); nullopt when it is gone.
std::optional<char> ProcessState(pid_t processId);

// The processes of session `session` that have not ended (ended ones that wait to be reaped left out), the
// oldest first; none for a session id of 0 or less.
std::vector<pid_t> SessionProcesses(pid_t session);

// How a stop of a server's session went.
enum class SessionEnding {
    Terminated,   // every process ended after the first signal
    Killed,       // the grace period was over: SIGKILL ended the rest
    StillRunning, // some process did not end even after SIGKILL
    NotPermitted  // this user may not signal the processes: nothing was sent
};

// Ends `process` and every process of `session`, which it started in (a program started in a session of its own
// keeps everything it starts there, put in the background or not): `first` (SIGTERM unless told), then SIGKILL to
// whatever still runs after `grace`; returns once all of them have ended (or SIGKILL did not end them either). A
// process that left the session is signalled and awaited itself, and so is one without a session of its own
// (`session` 0). This program's own session is never signalled. A `first` of 0 sends nothing first (the signal
// went already) and only awaits the end.
SessionEnding StopSession(const ProcessHandle& process, pid_t session, std::chrono::milliseconds grace,
                          const std::function<void()>& idle = {}, int first = SIGTERM);
