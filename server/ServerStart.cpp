#include "server/ServerStart.h"

#include "platform/AtomicFile.h"
#include "platform/Process.h"
#include "platform/TrustedPath.h"
#include "server/ServerFiles.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace {

// The spawn's attributes and file actions, released whatever happens.
class SpawnSetup {
public:
    SpawnSetup() {
        ::posix_spawnattr_init(&attributes_);
        ::posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

// A file descriptor closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return descriptor_; }

private:
    int descriptor_;
};

} // namespace

StartResult StartServer(const ServerLaunch& launch, ServerOutput output) {
    if (!std::filesystem::is_regular_file(launch.executable))
        return {ShellOpenFileNotFound, std::nullopt};
    // The server starts in its own folder, where relative paths of ours would name other files.
    const std::string runner = WindowsProgramRunner();
    const std::string executable = std::filesystem::absolute(launch.executable).string();
    const ServerCommand command =
        MakeServerCommand(executable, launch.parameters,
                          runner.find('/') == std::string::npos ? runner : std::filesystem::absolute(runner).string());

    const std::string logFile = ServerLogFile(launch.modPath);
    Descriptor log(output == ServerOutput::LogFile
                       ? OpenBelow(launch.modPath, NameOf(logFile), O_WRONLY | O_CREAT | O_APPEND, 0644)
                       : -1);
    struct stat logStatus {};
    if (output == ServerOutput::LogFile && (log.Get() < 0 || ::fstat(log.Get(), &logStatus) != 0))
        throw FileError("Impossible de créer le fichier", logFile, std::strerror(errno));

    SpawnSetup setup;
    sigset_t signals;
    ::sigemptyset(&signals);
    ::posix_spawnattr_setsigmask(&setup.attributes_, &signals);
    ::sigfillset(&signals);
    ::posix_spawnattr_setsigdefault(&setup.attributes_, &signals);
    ::posix_spawnattr_setflags(&setup.attributes_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    ::posix_spawn_file_actions_addchdir_np(&setup.actions_, command.workingFolder.c_str());
    if (output == ServerOutput::LogFile) {
        ::posix_spawn_file_actions_addopen(&setup.actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_adddup2(&setup.actions_, log.Get(), STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&setup.actions_, log.Get(), STDERR_FILENO);
    }

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(command.program.c_str()));
    for (const std::string& argument : command.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t processId = 0;
    if (::posix_spawnp(&processId, command.program.c_str(), &setup.actions_, &setup.attributes_, argv.data(),
                       environ) != 0)
        return {ShellOpenNoProgram, std::nullopt};

    auto process = ProcessHandle::Open(processId);
    if (!process)
        throw std::runtime_error("The server's process " + std::to_string(processId) + " cannot be watched");
    WriteServerRecord(launch.modPath, {processId, executable, launch.parameters});
    return {ShellOpenStarted,
            StartedServer{std::move(*process), launch, static_cast<std::uintmax_t>(logStatus.st_size)}};
}

bool CheckServerStart(const StartedServer& server, std::chrono::milliseconds watch, const LogSink& log) {
    if (watch.count() == 0)
        return true;
    if (server.process.WaitForEnd(watch)) {
        const int exitCode = server.process.Reap().value_or(-1);
        for (const std::string& line :
             StoppedAtStartLines(exitCode, ServerLogFile(server.launch.modPath), server.logOffset))
            log(line);
        RemoveServerRecord(server.launch.modPath, server.process.Id());
        return false;
    }
    log(ServerRunningLine(watch, server.process.Id()));
    return true;
}

std::string ServerRunningLine(std::chrono::milliseconds watch, pid_t processId) {
    return std::string("Server running after ")
        .append(SecondsText(watch))
        .append(" (process ")
        .append(std::to_string(processId))
        .append(")");
}

std::string SecondsText(std::chrono::milliseconds period) {
    // Written without the locale, which may use a comma.
    char seconds[32];
    const auto written = std::to_chars(seconds, seconds + sizeof seconds, static_cast<double>(period.count()) / 1000.0);
    return std::string(seconds, written.ptr).append(" s");
}
