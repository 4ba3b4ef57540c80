#include "server/ProcessHandle.h"

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

namespace {

constexpr std::chrono::milliseconds IdlePause{20};
// How long a killed process may take to go.
constexpr std::chrono::milliseconds KillWait{2000};

bool Readable(int descriptor, std::chrono::milliseconds timeout) {
    pollfd watched{descriptor, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&watched, 1, static_cast<int>(timeout.count()));
    while (ready < 0 && errno == EINTR);
    return ready != 0;
}

} // namespace

int ExitCodeOf(int waitStatus) {
    return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
}

std::optional<ProcessHandle> ProcessHandle::Open(pid_t processId) {
    if (processId <= 0)
        return std::nullopt;
    const int descriptor = static_cast<int>(::syscall(SYS_pidfd_open, processId, 0));
    if (descriptor < 0)
        return std::nullopt;
    return ProcessHandle(processId, descriptor);
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept
    : id_(std::exchange(other.id_, 0)), descriptor_(std::exchange(other.descriptor_, -1)) {}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        id_ = std::exchange(other.id_, 0);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

ProcessHandle::~ProcessHandle() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool ProcessHandle::Signal(int signal) const {
    return ::syscall(SYS_pidfd_send_signal, descriptor_, signal, nullptr, 0) == 0;
}

bool ProcessHandle::WaitForEnd(std::chrono::milliseconds timeout, const std::function<void()>& idle) const {
    if (!idle)
        return Readable(descriptor_, timeout);
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        idle();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (Readable(descriptor_, std::max(std::chrono::milliseconds(0), std::min(left, IdlePause))))
            return true;
        if (left <= IdlePause)
            return false;
    }
}

std::optional<int> ProcessHandle::Reap() const {
    int status = 0;
    pid_t reaped;
    do
        reaped = ::waitpid(id_, &status, WNOHANG);
    while (reaped < 0 && errno == EINTR);
    if (reaped != id_)
        return std::nullopt;
    return ExitCodeOf(status);
}

ProcessHandle::Ending ProcessHandle::Stop(std::chrono::milliseconds grace, const std::function<void()>& idle) const {
    if (!Signal(SIGTERM) && !WaitForEnd(std::chrono::milliseconds(0)))
        return Ending::NotPermitted;
    if (WaitForEnd(grace, idle))
        return Ending::Terminated;
    Signal(SIGKILL);
    return WaitForEnd(KillWait, idle) ? Ending::Killed : Ending::StillRunning;
}
