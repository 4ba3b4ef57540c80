// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerStart.h"

#include "platform/AtomicFile.h"
#include "platform/Process.h"
#include "platform/ProcessStart.h"
#include "server/SecondsText.h"
#include "server/ServerFiles.h"
#include "server/ServerSession.h"
#include "server/ServerStop.h"
#include "server/StartFailureHints.h"
#include "server/StatusQuery.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace {

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

private:
    int descriptor_;
};

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
}

// The time left until `end`, none when it is over.
std::chrono::milliseconds Until(std::chrono::steady_clock::time_point end) {
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()));
}

} // namespace

StartResult StartServer(const ServerLaunch& launch, ServerOutput output) {
    if (!std::filesystem::is_regular_file(launch.executable))
        return {ShellOpenFileNotFound, std::nullopt};
    if (const FoundServer found = FindServer(launch.modPath, launch.instance); found.InTheWay())
        throw std::runtime_error(ServerInTheWayMessage(found, launch.modPath));
    const NetSettings net = NetSettingsOfParameters(launch.parameters);
    if (const auto other = FindPortClash(launch.modPath, launch.instance, net))
        throw std::runtime_error(PortClashMessage(*other, net));
    if (const auto holder = FindPortHolder(net))
        throw std::runtime_error(PortHeldMessage(*holder, std::filesystem::path(launch.modPath).parent_path()));
    // The system would only say "No such file or directory" about a program that is there.
    if (const auto missing = MissingLoader(launch.executable))
        throw std::runtime_error("The server cannot start: " + *missing);
    // The server starts in its own folder, where relative paths of ours would name other files.
    const std::string runner = WindowsProgramRunner();
    const std::string executable = std::filesystem::absolute(launch.executable).string();
    const ServerCommand command =
        MakeServerCommand(executable, launch.parameters,
                          runner.find('/') == std::string::npos ? runner : std::filesystem::absolute(runner).string());

    ServerLog log;
    if (output == ServerOutput::LogFile)
        log = OpenServerLog(launch.modPath, launch.instance);
    const Descriptor closed(log.descriptor);
    const StartedProcess started = StartProcess(
        {command.program, command.arguments, command.workingFolder,
         output == ServerOutput::LogFile ? ProcessOutput::File : ProcessOutput::Inherited, log.descriptor, false});
    if (started.error != 0)
        return {ShellOpenNoProgram, std::nullopt};

    auto process = ProcessHandle::Open(started.id);
    if (!process)
        throw std::runtime_error("The server's process " + std::to_string(started.id) + " cannot be watched");
    // A server that already ended has no start time left; its record is removed by the check that sees the end.
    ServerRecord record{started.id, ProcessStartTime(started.id).value_or(0), executable, launch.parameters};
    if (output == ServerOutput::Inherited) {
        record.supervisor = ::getpid();
        record.supervisorStartTime = ProcessStartTime(::getpid()).value_or(0);
    }
    WriteServerRecord(launch.modPath, launch.instance, record);
    return {ShellOpenStarted, StartedServer{std::move(*process), launch, log.size, started.id}};
}

bool FollowSession(StartedServer& server, const LogSink& log) {
    auto successor = SessionSuccessor(server.session);
    if (!successor)
        return false;
    server.process.Reap();
    const ServerLaunch& launch = server.launch;
    const pid_t ended = server.process.Id();
    server.process = std::move(*successor);
    // A record that is not the ended script's any more belongs to another start.
    if (auto record = ReadServerRecord(launch.modPath, launch.instance); record && record->processId == ended) {
        record->processId = server.process.Id();
        record->startTime = ProcessStartTime(server.process.Id()).value_or(0);
        WriteServerRecord(launch.modPath, launch.instance, *record);
    }
    log(ServesOnLine(server.process.Id()));
    return true;
}

FirstAnswer AwaitFirstAnswer(const StatusAddress& address, pid_t session, std::chrono::milliseconds watch,
                             const std::function<bool()>& giveUp) {
    const auto begin = std::chrono::steady_clock::now();
    for (;;) {
        const auto asked = std::chrono::steady_clock::now();
        const auto left = watch - Since(begin);
        if (left <= std::chrono::milliseconds(0) || giveUp())
            return {std::nullopt, Since(begin), std::nullopt};
        const StatusAnswer answer =
            QueryServerStatus(address.host, address.port, std::min<std::chrono::milliseconds>(StatusTimeout, left));
        // Only the server's own socket speaks for it; another program's answer on the port is not its.
        const bool own = SessionAnswersAt(address, session);
        if (answer.status && own)
            return {answer.status, Since(begin), std::nullopt};
        if (!own)
            if (const auto moved = SessionPortBesides(address, session))
                return {std::nullopt, Since(begin), moved};
        // A refused port answers at once; the next query waits its turn, watching for the end meanwhile.
        while (std::chrono::steady_clock::now() - asked < FirstAnswerPause && Since(begin) < watch && !giveUp())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

StartCheck CheckServerStart(StartedServer& server, std::chrono::milliseconds watch, const LogSink& log) {
    if (watch.count() == 0)
        return StartCheck::Skipped;
    // The session ends only with its last process: a start script that put the engine in the background is followed.
    const auto ended = [&](std::chrono::milliseconds within) {
        return server.process.WaitForEnd(within) && !FollowSession(server, log);
    };
    const auto address = StatusAddressOf(server.launch.parameters);
    if (address) {
        const FirstAnswer answer =
            AwaitFirstAnswer(*address, server.session, watch, [&] { return ended(std::chrono::milliseconds(0)); });
        if (answer.status) {
            log(AnsweringLine(*address, answer.after, *answer.status));
            return StartCheck::Answering;
        }
        if (answer.movedTo) {
            for (const std::string& line : FailedStartLines(MovedPortLine(*address, *answer.movedTo), server))
                log(line);
            return StartCheck::Moved;
        }
        if (!ended(std::chrono::milliseconds(0))) {
            for (const std::string& line : FailedStartLines(SilentLine(*address), server))
                log(line);
            return StartCheck::Silent;
        }
    } else {
        const auto liveness = std::min(watch, LivenessWatch);
        const auto end = std::chrono::steady_clock::now() + liveness;
        // Each end of the process held is followed to the next one of the session, until the watch is over.
        while (!ended(std::chrono::milliseconds(0)) && server.process.WaitForEnd(Until(end))) {
        }
        if (!ended(std::chrono::milliseconds(0))) {
            log(ServerRunningLine(liveness, server.process.Id()));
            return StartCheck::Running;
        }
    }
    const int exitCode = server.process.Reap().value_or(-1);
    for (const std::string& line : FailedStartLines(StoppedAtStartLine(exitCode), server))
        log(line);
    RemoveServerRecord(server.launch.modPath, server.launch.instance, server.process.Id());
    return StartCheck::Ended;
}

std::string AnsweringLine(const StatusAddress& address, std::chrono::milliseconds after, const ServerStatus& status) {
    const auto tenths = std::chrono::round<std::chrono::duration<long long, std::deci>>(after);
    return std::string("Server answering on ")
        .append(ServerAddress(address.host, address.port))
        .append(" after ")
        .append(SecondsText(std::chrono::duration_cast<std::chrono::milliseconds>(tenths)))
        .append(" (")
        .append(status.map)
        .append(", ")
        .append(status.gametype)
        .append(")");
}

std::string WaitingLine(const StatusAddress& address) {
    return "Waiting for the server to answer on " + ServerAddress(address.host, address.port) + " \u2026";
}

std::string SilentLine(const StatusAddress& address) {
    return "Server runs but does not answer on port " + std::to_string(address.port);
}

std::string StoppedAtStartLine(int exitCode) {
    return std::string("Server stopped at start (exit code ").append(std::to_string(exitCode)).append(")");
}

std::string ServerRunningLine(std::chrono::milliseconds watch, pid_t processId) {
    return std::string("Server running after ")
        .append(SecondsText(watch))
        .append(" (process ")
        .append(std::to_string(processId))
        .append(")");
}

std::vector<std::string> FailedStartLines(const std::string& failure, const StartedServer& server) {
    std::vector<std::string> lines = LastOutputLines(server.launch.modPath, server.launch.instance, server.logOffset);
    // The system's loader and Wine say what is missing just before the program ends: it stands among the last
    // lines of this start's output, read as they are, before the escaping that shows them.
    constexpr std::size_t HintLines = 50;
    for (std::string& hint : StartFailureHints(
             LastLines(ServerLogFile(server.launch.modPath, server.launch.instance), server.logOffset, HintLines)))
        lines.push_back(std::move(hint));
    lines.push_back(failure);
    return lines;
}
