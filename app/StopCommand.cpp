// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StopCommand.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "app/PlayerWarning.h"
#include "app/ServerTarget.h"
#include "app/StartState.h"
#include "platform/Paths.h"
#include "server/ServerFiles.h"
#include "server/ServerStop.h"
#include "server/StopWarning.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace {

// `stop --forget`: removes a record that names no live server (unreadable, its process gone or another one now)
// and keeps one whose server runs.
int ForgetRecord(const std::string& modPath, const Instance& instance, std::ostream& out, std::ostream& err) {
    const std::string record = ServerPidFile(modPath, instance);
    FoundServer found;
    try {
        found = FindServer(modPath, instance);
    } catch (const std::exception&) {
        found.state = FoundServer::Ended; // unreadable: it names no server that could be stopped
    }
    switch (found.state) {
    case FoundServer::NoRecord:
        err << "quendry stop: there is no record to forget (" << record << " does not exist)\n";
        return 1;
    case FoundServer::Running:
    case FoundServer::OtherUsers:
        err << "quendry stop: the server of " << record << " runs (process " << found.record.processId
            << "); the record is kept: stop the server instead\n";
        return 1;
    case FoundServer::Ended:
    case FoundServer::NotTheServer:
        break;
    }
    std::error_code error;
    if (!std::filesystem::remove(record, error) && error) {
        err << "quendry stop: " << record << " cannot be removed: " << error.message() << '\n';
        return 1;
    }
    out << "Removed " << record << '\n';
    return 0;
}

// The password of the remote console that `warning` needs, from the settings (--settings FILE, else the last state);
// throws UsageError when it needs one and none is set, or FILE cannot be read.
std::optional<std::string> PasswordFor(const PlayerWarning& warning, const CommandArguments& args,
                                       const Instance& instance) {
    if (warning.length <= std::chrono::milliseconds(0))
        return std::nullopt;
    const auto settingsFile = args.Value("settings");
    const GivenSettings settings = settingsFile ? ReadGivenSettings(*settingsFile) : GivenSettings{};
    if (!settings.unusable.empty())
        throw UsageError(settings.unusable);
    return WarningPassword(warning,
                           LoadStartState(settings.ini ? &*settings.ini : nullptr, instance).options.AdvancedLines());
}

// Warns the players of the running server of `instance` through its remote console, when `password` is given.
void WarnBeforeStop(const PlayerWarning& warning, const std::optional<std::string>& password,
                    const std::string& gameFolder, const Instance& instance, std::ostream& out) {
    if (!password)
        return;
    try {
        if (!FindServer(ModFolderPath(gameFolder), instance).InTheWay())
            return;
    } catch (const std::exception&) {
        return; // the stop says why the record cannot be read
    }
    const ServerTarget target = GameFolderTarget(gameFolder, instance);
    WarnPlayers(target.host, target.port, *password, warning.length, warning.message,
                [&out](const std::string& line) { out << line << std::endl; });
}

} // namespace

int StopCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    const std::string gameFolder = TrimFolderPath(*args.Value("game"));
    const std::string modPath = ModFolderPath(gameFolder);
    const Instance instance = args.GetInstance();
    const PlayerWarning warning = PlayerWarningOf(args, "Server stops in {time}");
    if (args.IsSet("forget")) {
        if (warning.length > std::chrono::milliseconds(0))
            throw UsageError("--forget sends nothing: it takes no --warn");
        return ForgetRecord(modPath, instance, out, err);
    }
    WarnBeforeStop(warning, PasswordFor(warning, args, instance), gameFolder, instance, out);
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
