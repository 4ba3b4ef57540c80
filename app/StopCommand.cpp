#include "app/StopCommand.h"

#include "ModFolder.h"

#include "app/RunSequence.h"
#include "platform/Paths.h"
#include "server/ServerFiles.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"

#include <ostream>
#include <stdexcept>

namespace {

constexpr const char* StopUsage = "Usage: quendry stop --game DIR\n"
                                  "Stops the server that 'quendry run' started from DIR with every process it started "
                                  "(SIGTERM, then SIGKILL after 10 s).\n";

} // namespace

int StopCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << StopUsage;
        return 0;
    }
    if (args.size() != 2 || args[0] != "--game") {
        err << "quendry stop: expects --game DIR\n" << StopUsage;
        return 2;
    }
    const std::string modPath = JoinPath(TrimFolderPath(args[1]), ModFolderName);
    StopReport report;
    try {
        report = StopRecordedServer(modPath, ServerStopGrace);
    } catch (const std::exception& error) {
        err << "quendry stop: " << error.what() << '\n';
        return 2;
    }
    const std::string process = std::string("process ").append(std::to_string(report.processId));
    switch (report.outcome) {
    case StopOutcome::NoRecord:
        err << "quendry stop: no server started from this folder runs (" << ServerPidFile(modPath)
            << " does not exist)\n";
        return 1;
    case StopOutcome::Ended:
        err << "quendry stop: the server (" << process << ") had ended; " << ServerPidFile(modPath) << " is removed\n";
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
