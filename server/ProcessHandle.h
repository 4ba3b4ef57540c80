#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>

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

    // Sends `signal`; false when the process is gone.
    bool Signal(int signal) const;
    // True once the process has ended, waiting at most `timeout`. `idle`, when given, runs between short polls
    // (a window keeps drawing).
    bool WaitForEnd(std::chrono::milliseconds timeout, const std::function<void()>& idle = {}) const;
    // The exit code of an ended child of this program (128 + the signal's number when a signal ended it), which is
    // reaped; nullopt while it runs or when it is not a child of this program.
    std::optional<int> Reap() const;

    // How a Stop ended the process; NotPermitted when this program may not signal it (another user's).
    enum class Ending { Terminated, Killed, StillRunning, NotPermitted };
    // Ends the process: SIGTERM, then SIGKILL when it still runs after `grace`.
    Ending Stop(std::chrono::milliseconds grace, const std::function<void()>& idle = {}) const;

private:
    ProcessHandle(pid_t processId, int descriptor) : id_(processId), descriptor_(descriptor) {}

    pid_t id_ = 0;
    int descriptor_ = -1;
};

// The exit code a shell gives for a wait status: the exit status, or 128 + the signal's number.
int ExitCodeOf(int waitStatus);
