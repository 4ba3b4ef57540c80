// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessStart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string_view>

extern char** environ;

namespace {

// What the started side reports through the channel: the program's id, or why it could not run it.
struct Report {
    enum Kind : int { Id, Failed } kind;
    int value;
};

void Send(int channel, Report report) {
    // One small write is whole: the reports of two processes never interleave.
    [[maybe_unused]] const auto written = ::write(channel, &report, sizeof report);
}

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Runs in the started process, between fork and exec: only async-signal-safe calls.
[[noreturn]] void RunProgram(const ProcessStart& start, const char* program, char* const* argv, char* const* envp,
                             int channel) {
    ::setsid();
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    bool ready = start.workingFolder.empty() || ::chdir(start.workingFolder.c_str()) == 0;
    if (ready && start.output == ProcessOutput::File) {
        const int input = ::open("/dev/null", O_RDONLY);
        ready = input >= 0 && ::dup2(input, STDIN_FILENO) >= 0 && ::dup2(start.outputDescriptor, STDOUT_FILENO) >= 0 &&
                ::dup2(start.outputDescriptor, STDERR_FILENO) >= 0;
        if (input > STDERR_FILENO)
            ::close(input);
    }
    if (ready)
        ::execve(program, argv, envp);
    Send(channel, {Report::Failed, errno});
    ::_exit(127);
}

} // namespace

std::string FindProgram(const std::string& program) {
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return IsExecutableFile(program) ? std::filesystem::absolute(program).string() : std::string();
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsExecutableFile(candidate))
            return std::filesystem::absolute(candidate).string();
    }
    return {};
}

StartedProcess StartProcess(const ProcessStart& start) {
    // Everything the started side needs is prepared here: after fork it may not allocate.
    const std::string program = FindProgram(start.program);
    if (program.empty())
        return {0, ENOENT};
    std::vector<std::string> words{program};
    words.insert(words.end(), start.arguments.begin(), start.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = start.environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view entry(*variable);
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        if (std::ranges::none_of(start.environment, [&](const std::string& given) { return given.starts_with(name); }))
            variables.emplace_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    // Closed by a successful exec, so its end tells that the program runs.
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return {0, errno};
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(channel[0]);
        ::close(channel[1]);
        return {0, error};
    }
    if (child == 0) {
        ::close(channel[0]);
        if (start.detached) {
            // The program runs as a grandchild, handed to the system's reaper when this middle process ends.
            const pid_t grandchild = ::fork();
            if (grandchild != 0) {
                Send(channel[1], grandchild > 0 ? Report{Report::Id, grandchild} : Report{Report::Failed, errno});
                ::_exit(0);
            }
        }
        RunProgram(start, program.c_str(), argv.data(), envp.data(), channel[1]);
    }
    ::close(channel[1]);
    StartedProcess started{start.detached ? 0 : child, 0};
    Report report{};
    ssize_t got;
    while ((got = ::read(channel[0], &report, sizeof report)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got != static_cast<ssize_t>(sizeof report))
            break;
        if (report.kind == Report::Id)
            started.id = report.value;
        else
            started.error = report.value;
    }
    ::close(channel[0]);
    // The middle process of a detached start has ended; a child that could not run the program ends at once.
    if (start.detached || started.error != 0) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (started.error != 0)
        started.id = 0;
    return started;
}
