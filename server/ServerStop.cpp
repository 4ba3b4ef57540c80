// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerStop.h"

#include "platform/TrustedPath.h"
#include "server/SecondsText.h"
#include "server/ServerSession.h"
#include "server/StatusQuery.h"

#include <unistd.h>

#include <csignal>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

bool SameFolder(const std::string& one, const std::string& other) {
    std::error_code error;
    const fs::path first = fs::weakly_canonical(one, error);
    return !error && !one.empty() && !other.empty() && first == fs::weakly_canonical(other, error) && !error;
}

// How long a supervisor may take beyond the grace period to end once its server's session has.
constexpr std::chrono::seconds SupervisorMargin{5};

// The supervisor that `record` names (run --foreground) while it is still that process.
std::optional<ProcessHandle> LiveSupervisor(const ServerRecord& record) {
    if (record.supervisor <= 1)
        return std::nullopt;
    auto supervisor = ProcessHandle::Open(record.supervisor);
    if (!supervisor || ProcessStartTime(record.supervisor) != record.supervisorStartTime)
        return std::nullopt;
    return supervisor;
}

} // namespace

FoundServer FindServer(const std::string& modPath, const Instance& instance) {
    FoundServer found;
    found.instance = instance;
    uid_t owner = 0;
    const auto record = ReadServerRecord(modPath, instance, &owner);
    if (!record)
        return found;
    found.record = *record;
    // Held from here on, the process cannot be confused with a later one that gets its id.
    auto process = ProcessHandle::Open(record->processId);
    if (!process || process->WaitForEnd(std::chrono::milliseconds(0))) {
        found.state = FoundServer::Ended;
        return found;
    }
    found.state = FoundServer::NotTheServer;
    const std::string pidFile = ServerPidFile(modPath, instance);
    const auto user = ProcessOwner(record->processId);
    // What another user recorded is believed only of that user's own processes.
    if (!IsTrustedOwner(owner) && user != owner) {
        found.reason = pidFile + " belongs to another user";
        return found;
    }
    if (ProcessStartTime(record->processId) != record->startTime) {
        found.reason = "it started at another time than the recorded server";
        return found;
    }
    // The working folder of another user's process is hidden from this one.
    if (::geteuid() != 0 && user != ::geteuid()) {
        found.state = FoundServer::OtherUsers;
        return found;
    }
    const std::string gameFolder = fs::path(modPath).parent_path().string();
    if (const std::string folder = ProcessWorkingFolder(record->processId); !SameFolder(folder, gameFolder)) {
        found.reason =
            "its working folder is " + (folder.empty() ? std::string("unknown") : folder) + ", not " + gameFolder;
        return found;
    }
    // Another user's own server stands in the way of a start, and is not stopped on that user's word.
    if (!IsTrustedOwner(owner)) {
        found.state = FoundServer::OtherUsers;
        return found;
    }
    found.state = FoundServer::Running;
    found.session = ServerSessionOf(record->processId);
    found.process = std::move(process);
    return found;
}

std::string ServerInTheWayMessage(const FoundServer& found, const std::string& modPath) {
    const std::string server =
        found.instance.IsPlain() ? "The server" : "The server of instance " + found.instance.Name();
    std::string message = server + " of this game folder is running (process " +
                          std::to_string(found.record.processId) + ", started as " + found.record.executable + ")";
    if (found.state == FoundServer::OtherUsers)
        return message + " as another user; " + ServerPidFile(modPath, found.instance) + " stays as it is";
    return message + "; stop it first";
}

std::optional<FoundServer> FindPortClash(const std::string& modPath, const Instance& instance, const NetSettings& net) {
    for (const Instance& other : RecordedInstances(modPath)) {
        if (other == instance)
            continue;
        try {
            FoundServer found = FindServer(modPath, other);
            // The recorded command line carries the address, in old records too.
            if (found.InTheWay() && SharePort(NetSettingsOfParameters(found.record.parameters), net))
                return found;
        } catch (const std::exception&) {
            // A damaged record names no server that could hold the port.
        }
    }
    return std::nullopt;
}

std::string PortClashMessage(const FoundServer& other, const NetSettings& net) {
    return "Port " + std::to_string(net.port.value_or(DefaultGamePort)) + " is in use by " +
           (other.instance.IsPlain() ? std::string("the server without an instance")
                                     : "instance " + other.instance.Name()) +
           " of this game folder (process " + std::to_string(other.record.processId) +
           "); give this one another net_port in its advanced lines, or stop that one first";
}

StopOutcome StopOutcomeOf(SessionEnding ending) {
    switch (ending) {
    case SessionEnding::Terminated:
        return StopOutcome::Stopped;
    case SessionEnding::Killed:
        return StopOutcome::Killed;
    case SessionEnding::StillRunning:
        return StopOutcome::StillRunning;
    case SessionEnding::NotPermitted:
        break;
    }
    return StopOutcome::NotPermitted;
}

StopReport StopFoundServer(const FoundServer& found, const std::string& modPath, std::chrono::milliseconds grace,
                           const std::function<void()>& idle) {
    StopReport report{StopOutcome::NoRecord, found.record.processId, found.reason};
    switch (found.state) {
    case FoundServer::NoRecord:
        return report;
    case FoundServer::Ended:
        report.outcome = StopOutcome::Ended;
        return report;
    case FoundServer::NotTheServer:
        report.outcome = StopOutcome::Refused;
        return report;
    case FoundServer::OtherUsers:
        report.outcome = StopOutcome::NotPermitted;
        return report;
    case FoundServer::Running:
        break;
    }
    // A supervised server is stopped by its supervisor, which then ends as asked, not as after a crash (a service
    // manager would restart it); one that does not end in time leaves the stop to this program.
    if (auto supervisor = LiveSupervisor(found.record); supervisor && supervisor->Signal(SIGTERM) &&
                                                        supervisor->WaitForEnd(grace + SupervisorMargin, idle) &&
                                                        found.process->WaitForEnd(std::chrono::milliseconds(0))) {
        report.outcome = StopOutcome::Stopped;
        RemoveServerRecord(modPath, found.instance, found.record.processId);
        return report;
    }
    // Everything the server started stays in its session: a wrapper's engine goes with it.
    report.outcome = StopOutcomeOf(StopSession(*found.process, found.session, grace, idle));
    if (report.outcome == StopOutcome::Stopped || report.outcome == StopOutcome::Killed) {
        found.process->Reap();
        RemoveServerRecord(modPath, found.instance, found.record.processId);
    }
    return report;
}

std::string StoppedLine(const StopReport& report, std::chrono::milliseconds grace) {
    const std::string process = "(process " + std::to_string(report.processId) + ")";
    return report.outcome == StopOutcome::Killed ? "Server killed after " + SecondsText(grace) + " " + process
                                                 : "Server stopped " + process;
}

std::string EndedLine(int exitCode, bool requested) {
    if (requested || exitCode == 128 + SIGTERM || exitCode == 128 + SIGINT || exitCode == 128 + SIGHUP)
        return "Server stopped";
    return "Server stopped (exit code " + std::to_string(exitCode) + ")";
}

StopReport StopRecordedServer(const std::string& modPath, const Instance& instance, std::chrono::milliseconds grace) {
    const FoundServer found = FindServer(modPath, instance);
    if (found.state == FoundServer::Ended)
        RemoveServerRecord(modPath, instance, found.record.processId);
    return StopFoundServer(found, modPath, grace);
}
