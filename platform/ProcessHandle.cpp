// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessHandle.h"

#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr std::chrono::milliseconds IdlePause{20};
// How often the processes of a session are looked up while waiting for its end.
constexpr std::chrono::milliseconds SessionPollPause{30};
// How long killed processes may take to go.
constexpr std::chrono::milliseconds KillWait{2000};

bool Readable(int descriptor, std::chrono::milliseconds timeout) {
    pollfd watched{descriptor, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&watched, 1, static_cast<int>(timeout.count()));
    while (ready < 0 && errno == EINTR);
    return ready != 0;
}

// Waits until `ended()` or `timeout`, calling `idle` (or sleeping) `pause` at a time; true when it ended.
bool WaitUntil(const std::function<bool(std::chrono::milliseconds)>& endsWithin, std::chrono::milliseconds timeout,
               std::chrono::milliseconds pause, const std::function<void()>& idle) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (idle)
            idle();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (endsWithin(std::clamp(left, std::chrono::milliseconds(0), pause)))
            return true;
        if (left <= pause)
            return false;
    }
}

// The fields of /proc/PID/stat after the command's name, from the state (field 3) on; empty when it is gone.
std::vector<std::string> StatFields(const std::string& statFile) {
    std::ifstream file(statFile);
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // The name is in parentheses and may hold blanks and parentheses itself.
    const auto nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos)
        return {};
    std::istringstream rest(text.substr(nameEnd + 1));
    std::vector<std::string> fields;
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields;
}

// Field `number` (counted from 1 as proc(5) does) of a stat line's fields from StatFields.
constexpr std::size_t StateField = 3;
constexpr std::size_t SessionField = 6;
constexpr std::size_t StartTimeField = 22;

template <typename Number>
std::optional<Number> FieldNumber(const std::vector<std::string>& fields, std::size_t number) {
    if (fields.size() <= number - StateField)
        return std::nullopt;
    const std::string& text = fields[number - StateField];
    Number value{};
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string ProcFolder(pid_t processId) {
    return "/proc/" + std::to_string(processId);
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
    return WaitUntil([this](std::chrono::milliseconds slice) { return Readable(descriptor_, slice); }, timeout,
                     IdlePause, idle);
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

std::optional<std::uint64_t> ProcessStartTime(pid_t processId) {
    return FieldNumber<std::uint64_t>(StatFields(ProcFolder(processId) + "/stat"), StartTimeField);
}

std::optional<std::chrono::system_clock::time_point> ProcessStartedAt(pid_t processId) {
    const auto ticks = ProcessStartTime(processId);
    // The system's boot time, in whole seconds since the epoch: the "btime" line of /proc/stat.
    std::ifstream stat("/proc/stat");
    std::string word;
    long long bootTime = -1;
    while (stat >> word)
        if (word == "btime" && stat >> bootTime)
            break;
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (!ticks || bootTime < 0 || ticksPerSecond <= 0)
        return std::nullopt;
    const auto sinceBoot = std::chrono::milliseconds(static_cast<long long>(*ticks * 1000 / ticksPerSecond));
    return std::chrono::system_clock::time_point(std::chrono::seconds(bootTime) + sinceBoot);
}

std::string ProcessWorkingFolder(pid_t processId) {
    std::error_code error;
    const auto folder = std::filesystem::read_symlink(ProcFolder(processId) + "/cwd", error);
    return error ? std::string() : folder.string();
}

std::string ProcessName(pid_t processId) {
    std::ifstream comm(ProcFolder(processId) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

std::optional<uid_t> ProcessOwner(pid_t processId) {
    struct stat status {};
    if (::stat(ProcFolder(processId).c_str(), &status) != 0)
        return std::nullopt;
    return status.st_uid;
}

std::vector<pid_t> ProcessIds() {
    std::vector<pid_t> ids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        pid_t id = 0;
        if (std::from_chars(name.data(), name.data() + name.size(), id).ptr == name.data() + name.size())
            ids.push_back(id);
    }
    return ids;
}

std::optional<pid_t> ProcessSession(pid_t processId) {
    return FieldNumber<pid_t>(StatFields(ProcFolder(processId) + "/stat"), SessionField);
}

std::optional<char> ProcessState(pid_t processId) {
    const auto fields = StatFields(ProcFolder(processId) + "/stat");
    if (fields.empty() || fields.front().size() != 1)
        return std::nullopt;
    return fields.front().front();
}

std::vector<pid_t> SessionProcesses(pid_t session) {
    std::vector<std::pair<std::uint64_t, pid_t>> members;
    // Session 0 is the kernel's own threads', which no program started.
    if (session <= 0)
        return {};
    for (const pid_t id : ProcessIds()) {
        const auto fields = StatFields(ProcFolder(id) + "/stat");
        if (fields.empty() || fields.front() == "Z" || fields.front() == "X" ||
            FieldNumber<pid_t>(fields, SessionField) != session)
            continue;
        members.emplace_back(FieldNumber<std::uint64_t>(fields, StartTimeField).value_or(0), id);
    }
    std::sort(members.begin(), members.end());
    std::vector<pid_t> processes;
    for (const auto& member : members)
        processes.push_back(member.second);
    return processes;
}

namespace {

// True once `ended` holds, asked at every poll of processes in /proc, waiting at most `timeout`.
bool WaitForEnded(const std::function<bool()>& ended, std::chrono::milliseconds timeout,
                  const std::function<void()>& idle) {
    return WaitUntil(
        [&ended](std::chrono::milliseconds slice) {
            if (ended())
                return true;
            std::this_thread::sleep_for(slice);
            return false;
        },
        timeout, idle ? IdlePause : SessionPollPause, idle);
}

// Sends `signal` to `process` and to every process of `session`, each held before it is signalled so that a
// process id taken over by another program in the meantime is never signalled. 0 when one was signalled, else the
// system's error (ESRCH when none is left, EPERM when this user may signal none of them).
// True for a session that may be stopped: one, and not this program's own.
bool StoppableSession(pid_t session) {
    return session > 0 && session != ::getsid(0);
}

int SignalSession(const ProcessHandle& process, pid_t session, int signal) {
    int error = process.Signal(signal) ? 0 : errno;
    if (!StoppableSession(session))
        return error;
    for (const pid_t member : SessionProcesses(session)) {
        const auto held = ProcessHandle::Open(member);
        // Held now, it is still the member it was only if it still belongs to the session.
        if (!held || ProcessSession(member) != session)
            continue;
        if (held->Signal(signal))
            error = 0;
        else if (error != 0 && errno != ESRCH)
            error = errno;
    }
    return error;
}

// True once `process` and every process of `session` have ended, waiting at most `timeout`.
bool WaitForSessionEnd(const ProcessHandle& process, pid_t session, std::chrono::milliseconds timeout,
                       const std::function<void()>& idle) {
    return WaitForEnded(
        [&] {
            return process.WaitForEnd(std::chrono::milliseconds(0)) &&
                   (!StoppableSession(session) || SessionProcesses(session).empty());
        },
        timeout, idle);
}

} // namespace

SessionEnding StopSession(const ProcessHandle& process, pid_t session, std::chrono::milliseconds grace,
                          const std::function<void()>& idle, int first) {
    if (SignalSession(process, session, first) == EPERM)
        return SessionEnding::NotPermitted;
    // A stopped process hears SIGTERM only once it runs again.
    if (first == SIGTERM)
        SignalSession(process, session, SIGCONT);
    if (WaitForSessionEnd(process, session, grace, idle))
        return SessionEnding::Terminated;
    SignalSession(process, session, SIGKILL);
    return WaitForSessionEnd(process, session, KillWait, idle) ? SessionEnding::Killed : SessionEnding::StillRunning;
}
