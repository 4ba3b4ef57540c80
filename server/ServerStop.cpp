#include "server/ServerStop.h"

#include "server/ProcessHandle.h"
#include "server/ServerFiles.h"

#include <filesystem>

StopReport StopRecordedServer(const std::string& modPath, std::chrono::milliseconds grace) {
    const auto record = ReadServerRecord(modPath);
    if (!record)
        return {};
    StopReport report{StopOutcome::Ended, record->processId, {}};
    // Held from here on, the process cannot be confused with a later one that gets its id.
    const auto process = ProcessHandle::Open(record->processId);
    if (!process || process->WaitForEnd(std::chrono::milliseconds(0))) {
        std::filesystem::remove(ServerPidFile(modPath));
        return report;
    }
    const std::vector<std::string> commandLine = ProcessCommandLine(record->processId);
    if (!IsServerCommandLine(commandLine, *record)) {
        report.outcome = StopOutcome::Refused;
        report.commandLine = commandLine;
        return report;
    }
    switch (process->Stop(grace)) {
    case ProcessHandle::Ending::Terminated:
        report.outcome = StopOutcome::Stopped;
        break;
    case ProcessHandle::Ending::Killed:
        report.outcome = StopOutcome::Killed;
        break;
    case ProcessHandle::Ending::StillRunning:
        report.outcome = StopOutcome::StillRunning;
        return report;
    case ProcessHandle::Ending::NotPermitted:
        report.outcome = StopOutcome::NotPermitted;
        return report;
    }
    std::filesystem::remove(ServerPidFile(modPath));
    return report;
}
