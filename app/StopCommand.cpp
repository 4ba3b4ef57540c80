// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StopCommand.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "platform/Paths.h"
#include "server/ServerFiles.h"
#include "server/ServerStop.h"

#include <ostream>
#include <stdexcept>

int StopCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    const std::string modPath = JoinPath(TrimFolderPath(*args.Value("game")), ModFolderName);
    const Instance instance = args.GetInstance();
    StopReport report;
    try {
        report = StopRecordedServer(modPath, instance, ServerStopGrace);
    } catch (const std::exception& error) {
        err << "quendry stop: " << error.what() << '\n';
        return 1;
    }
    const std::string process = std::string("process ").append(std::to_string(report.processId));
    switch (report.outcome) {
    case StopOutcome::NoRecord:
        err << "quendry stop: no server started from this folder runs (" << ServerPidFile(modPath, instance)
            << " does not exist)\n";
        return 1;
    case StopOutcome::Ended:
        err << "quendry stop: the server (" << process << ") had ended; " << ServerPidFile(modPath, instance)
            << " is removed\n";
        return 1;
    case StopOutcome::Refused:
        err << "quendry stop: " << process << " is not the server (" << report.reason << "); nothing was sent\n";
        return 1;
    case StopOutcome::NotPermitted:
        err << "quendry stop: " << process << " belongs to another user and may not be stopped by this one; "
            << "nothing was sent\n";
        return 1;
    case StopOutcome::StillRunning:
        err << "quendry stop: " << process << " does not end, even after SIGKILL\n";
        return 1;
    case StopOutcome::Stopped:
    case StopOutcome::Killed:
        out << StoppedLine(report, ServerStopGrace) << '\n';
        return 0;
    }
    return 1;
}
