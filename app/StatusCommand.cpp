// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusCommand.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "app/ServerTarget.h"
#include "app/StartState.h"
#include "config/AdvancedConfig.h"
#include "platform/Paths.h"
#include "server/ServerStop.h"
#include "server/StatusQuery.h"
#include "server/StatusText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <set>

namespace {

// The status as one JSON object for scripts; a value the server did not give is null.
QByteArray StatusJson(const ServerStatus& status, const std::string& address, std::chrono::milliseconds roundTrip) {
    QJsonArray players;
    for (const PlayerStatus& player : status.players)
        players.append(QJsonObject{{QStringLiteral("name"), QString::fromStdString(player.name)},
                                   {QStringLiteral("score"), player.score},
                                   {QStringLiteral("ping"), player.ping}});
    const QJsonObject object{
        {QStringLiteral("address"), QString::fromStdString(address)},
        {QStringLiteral("hostName"), QString::fromStdString(status.hostName)},
        {QStringLiteral("hostNameRaw"), QString::fromStdString(status.rawHostName)},
        {QStringLiteral("map"), QString::fromStdString(status.map)},
        {QStringLiteral("gametype"), QString::fromStdString(status.gametype)},
        {QStringLiteral("players"), players},
        {QStringLiteral("playerLimit"), status.playerLimit ? QJsonValue(*status.playerLimit) : QJsonValue()},
        {QStringLiteral("needsPassword"), status.needsPassword ? QJsonValue(*status.needsPassword) : QJsonValue()},
        {QStringLiteral("roundTripMs"), static_cast<qint64>(roundTrip.count())},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The instances of the mod folder `modPath`: those a Run wrote an advanced cfg file for, and those whose server
// was recorded, the plain one first.
std::set<Instance> KnownInstances(const std::string& modPath) {
    const std::vector<Instance> recorded = RecordedInstances(modPath);
    std::set<Instance> instances(recorded.begin(), recorded.end());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(modPath, error))
        if (const auto instance = AdvancedConfigInstance(entry.path().filename().string()))
            instances.insert(*instance);
    return instances;
}

// One line of `status --all`: the address the instance's server listens on, and how it does.
std::pair<std::string, std::string> InstanceLine(const std::string& gameFolder, const std::string& modPath,
                                                 const Instance& instance) {
    const ServerTarget target = GameFolderTarget(gameFolder, instance);
    const std::string address = ServerAddress(target.host, target.port);
    FoundServer found;
    try {
        found = FindServer(modPath, instance);
    } catch (const std::exception& error) {
        return {address, std::string("unknown: ") + error.what()};
    }
    if (!found.InTheWay())
        return {address, "stopped"};
    const std::string process = "process " + std::to_string(found.record.processId);
    const StatusAnswer answer = QueryServerStatus(target.host, target.port);
    if (!answer.status)
        return {address, "running but silent (" + process + ")"};
    const ServerStatus& status = *answer.status;
    std::string players = std::to_string(status.players.size());
    if (status.playerLimit)
        players += "/" + std::to_string(*status.playerLimit);
    return {address, "running and answering (" + process + ", " + status.map + ", " + status.gametype + ", " + players +
                         " players)"};
}

// `status --game DIR --all`: every instance of the game folder, one a line.
int StatusOfAllInstances(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    const auto game = args.Value("game");
    if (!game || args.IsSet("instance") || args.IsSet("port") || args.IsSet("host") || args.IsSet("json"))
        throw UsageError("--all lists the instances of a game folder: it takes --game DIR and no other option");
    if (const std::string unusable = UnusableGameFolder(*game); !unusable.empty())
        throw UsageError(unusable);
    const std::string gameFolder = TrimFolderPath(*game);
    const std::string modPath = ModFolderPath(gameFolder);
    const std::set<Instance> instances = KnownInstances(modPath);
    if (instances.empty()) {
        err << "quendry status: no Run wrote the files of a server in " << modPath << '\n';
        return 0;
    }
    std::size_t width = 0;
    for (const Instance& instance : instances)
        width = std::max(width, instance.Label().size());
    for (const Instance& instance : instances) {
        const auto [address, state] = InstanceLine(gameFolder, modPath, instance);
        out << std::left << std::setw(static_cast<int>(width + 2)) << instance.Label() << std::setw(23) << address
            << state << '\n';
    }
    return 0;
}

} // namespace

int StatusCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    if (args.IsSet("all"))
        return StatusOfAllInstances(args, out, err);
    if (args.IsSet("instance") && !args.IsSet("game"))
        throw UsageError("--instance names a server of a game folder: give --game DIR too");
    const ServerTarget target = ServerTargetOf(args);
    const StatusAnswer answer = QueryServerStatus(target.host, target.port);
    if (!answer.status) {
        err << "quendry status: " << answer.error << '\n';
        return 1;
    }
    if (args.IsSet("json")) {
        out << StatusJson(*answer.status, ServerAddress(target.host, target.port), answer.roundTrip).toStdString()
            << '\n';
        return 0;
    }
    for (const std::string& line : StatusReport(*answer.status))
        out << line << '\n';
    return 0;
}
