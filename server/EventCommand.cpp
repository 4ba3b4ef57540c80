// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/EventCommand.h"

#include "platform/ProcessHandle.h"
#include "platform/ProcessStart.h"
#include "server/SecondsText.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// How long a command over its limit has between SIGTERM and SIGKILL.
constexpr std::chrono::milliseconds EndingGrace{1000};

// The whole lines of `pending` to `log`, keeping the unfinished rest.
void LogLines(std::string& pending, const LogSink& log) {
    for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        log("Event command: " + pending.substr(0, end));
        pending.erase(0, end + 1);
    }
}

// The command's end of a pipe that this program reads, and this program's end.
struct OutputPipe {
    int read = -1;
    int write = -1;
    OutputPipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            read = ends[0];
            write = ends[1];
        }
    }
    ~OutputPipe() {
        for (const int end : {read, write})
            if (end >= 0)
                ::close(end);
    }
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;
};

} // namespace

void RunEventCommand(const std::vector<std::string>& words, const std::vector<std::string>& environment,
                     std::chrono::milliseconds limit, const std::string& what, const LogSink& log) {
    OutputPipe output;
    ProcessStart start;
    start.program = words.front();
    start.arguments.assign(words.begin() + 1, words.end());
    start.output = ProcessOutput::File;
    start.outputDescriptor = output.write;
    start.environment = environment;
    const StartedProcess started = StartProcess(start);
    ::close(output.write);
    output.write = -1;
    const auto process = started.id > 0 ? ProcessHandle::Open(started.id) : std::nullopt;
    if (!process) {
        log("Event command " + words.front() + " for " + what +
            " cannot be started: " + std::strerror(started.error != 0 ? started.error : ESRCH));
        return;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    std::string pending;
    bool reading = true;
    bool ended = false;
    while (!ended && Clock::now() < deadline) {
        pollfd watched[] = {{process->Descriptor(), POLLIN, 0}, {reading ? output.read : -1, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (::poll(watched, 2, static_cast<int>(std::max<long long>(left.count(), 0))) < 0 && errno != EINTR)
            break;
        if ((watched[1].revents & (POLLIN | POLLHUP)) != 0) {
            char bytes[4096];
            const ssize_t size = ::read(output.read, bytes, sizeof bytes);
            if (size > 0)
                pending.append(bytes, static_cast<std::size_t>(size));
            reading = size > 0 || (size < 0 && errno == EINTR);
            LogLines(pending, log);
        }
        // Once the command has ended, what it wrote is read to its end (a child it left running may hold the
        // pipe: that is not waited for).
        ended = (watched[0].revents & POLLIN) != 0 && !(reading && (watched[1].revents & POLLIN) != 0);
    }
    if (!ended) {
        StopSession(*process, process->Id(), EndingGrace); // it leads a session of its own
        log("Event command " + words.front() + " for " + what + " was ended after its time limit (" +
            SecondsText(limit) + ")");
    }
    if (!pending.empty())
        log("Event command: " + pending);
    const int code = process->Reap().value_or(0);
    if (ended && code != 0)
        log("Event command " + words.front() + " for " + what + " ended with exit code " + std::to_string(code));
}
