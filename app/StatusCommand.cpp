// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusCommand.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "app/GameFolderOption.h"
#include "app/ServerTarget.h"
#include "config/AdvancedConfig.h"
#include "platform/JsonText.h"
#include "platform/Paths.h"
#include "server/Metrics.h"
#include "server/ServerStop.h"
#include "server/StatusQuery.h"
#include "server/StatusText.h"

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <set>
#include <type_traits>

namespace {

// The status as one JSON object for scripts, its names in alphabetical order; a value the server did not give is
// null.
std::string StatusJson(const ServerStatus& status, const std::string& address, std::chrono::milliseconds roundTrip) {
    const auto optional = [](const auto& value) {
        if (!value)
            return std::string("null");
        if constexpr (std::is_same_v<std::decay_t<decltype(*value)>, bool>)
            return std::string(*value ? "true" : "false");
        else
            return std::to_string(*value);
    };
    std::string players;
    for (const PlayerStatus& player : status.players)
        players += (players.empty() ? "{" : ",{") + std::string("\"name\":") + JsonString(player.name) +
                   ",\"ping\":" + std::to_string(player.ping) + ",\"score\":" + std::to_string(player.score) + "}";
    return "{\"address\":" + JsonString(address) + ",\"gametype\":" + JsonString(status.gametype) +
           ",\"hostName\":" + JsonString(status.hostName) + ",\"hostNameRaw\":" + JsonString(status.rawHostName) +
           ",\"map\":" + JsonString(status.map) + ",\"needsPassword\":" + optional(status.needsPassword) +
           ",\"playerLimit\":" + optional(status.playerLimit) + ",\"players\":[" + players +
           "],\"roundTripMs\":" + std::to_string(roundTrip.count()) + "}";
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

// How the server of an instance of a game folder does.
struct InstanceState {
    Instance instance;
    ServerTarget target;
    std::optional<FoundServer> found; // nullopt when its record cannot be read: see `unknown`
    std::string unknown;
    StatusAnswer answer; // asked only while it runs
};

InstanceState StateOf(const std::string& gameFolder, const Instance& instance) {
    InstanceState state{instance, GameFolderTarget(gameFolder, instance), std::nullopt, {}, {}};
    try {
        state.found = FindServer(ModFolderPath(gameFolder), instance);
    } catch (const std::exception& error) {
        state.unknown = error.what();
        return state;
    }
    if (state.found->InTheWay())
        state.answer = QueryServerStatus(state.target.host, state.target.port);
    return state;
}

// The metrics of the server of an instance of `gameFolder`.
ServerMetrics InstanceMetrics(const std::string& gameFolder, const InstanceState& state) {
    ServerMetrics metrics;
    metrics.server = state.instance.Label();
    metrics.game = gameFolder;
    metrics.address = ServerAddress(state.target.host, state.target.port);
    metrics.status = state.answer.status;
    metrics.roundTrip = state.answer.roundTrip;
    if (state.found) {
        metrics.running = state.found->InTheWay();
        if (*metrics.running)
            metrics.startedAt = ProcessStartedAt(state.found->record.processId);
    }
    return metrics;
}

// One line of `status --all`: the address the instance's server listens on, and how it does.
std::pair<std::string, std::string> InstanceLine(const InstanceState& state) {
    const std::string address = ServerAddress(state.target.host, state.target.port);
    if (!state.found)
        return {address, "unknown: " + state.unknown};
    if (!state.found->InTheWay())
        return {address, "stopped"};
    const std::string process = "process " + std::to_string(state.found->record.processId);
    if (!state.answer.status)
        return {address, "running but silent (" + process + ")"};
    const ServerStatus& status = *state.answer.status;
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
        throw UsageError(
            "--all lists the instances of a game folder: it takes --game DIR (and --prometheus) and no other option");
    if (const std::string unusable = UnusableGameFolder(*game); !unusable.empty())
        throw UsageError(unusable);
    const std::string gameFolder = TrimFolderPath(*game);
    const std::string modPath = ModFolderPath(gameFolder);
    const std::set<Instance> instances = KnownInstances(modPath);
    if (instances.empty()) {
        err << "quendry status: no Run wrote the files of a server in " << modPath << '\n';
        return 0;
    }
    if (args.IsSet("prometheus")) {
        std::vector<ServerMetrics> metrics;
        for (const Instance& instance : instances)
            metrics.push_back(InstanceMetrics(gameFolder, StateOf(gameFolder, instance)));
        out << PrometheusText(metrics);
        return 0;
    }
    std::size_t width = 0;
    for (const Instance& instance : instances)
        width = std::max(width, instance.Label().size());
    for (const Instance& instance : instances) {
        const auto [address, state] = InstanceLine(StateOf(gameFolder, instance));
        out << std::left << std::setw(static_cast<int>(width + 2)) << instance.Label() << std::setw(23) << address
            << state << '\n';
    }
    return 0;
}

// `status --prometheus`: the metrics of one server; with --game, with its process. 1 when it did not answer.
int PrintMetrics(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    if (args.IsSet("json"))
        throw UsageError("--json and --prometheus are two formats: give one of them");
    const ServerTarget target = ServerTargetOf(args);
    ServerMetrics metrics;
    std::optional<InstanceState> state;
    if (const auto game = args.Value("game")) {
        const std::string gameFolder = TrimFolderPath(*game);
        state = StateOf(gameFolder, args.GetInstance());
        metrics = InstanceMetrics(gameFolder, *state);
    }
    // A server that a Run did not start may answer all the same.
    const bool asked = state && state->found && state->found->InTheWay();
    const StatusAnswer answer = asked ? state->answer : QueryServerStatus(target.host, target.port);
    metrics.address = ServerAddress(target.host, target.port);
    metrics.status = answer.status;
    metrics.roundTrip = answer.roundTrip;
    out << PrometheusText({metrics});
    if (answer.status)
        return 0;
    err << "quendry status: " << answer.error << '\n';
    return 1;
}

} // namespace

int StatusCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    if (args.IsSet("all"))
        return StatusOfAllInstances(args, out, err);
    if (args.IsSet("instance") && !args.IsSet("game"))
        throw UsageError("--instance names a server of a game folder: give --game DIR too");
    if (args.IsSet("prometheus"))
        return PrintMetrics(args, out, err);
    const ServerTarget target = ServerTargetOf(args);
    const StatusAnswer answer = QueryServerStatus(target.host, target.port);
    if (!answer.status) {
        err << "quendry status: " << answer.error << '\n';
        return 1;
    }
    if (args.IsSet("json")) {
        out << StatusJson(*answer.status, ServerAddress(target.host, target.port), answer.roundTrip) << '\n';
        return 0;
    }
    for (const std::string& line : StatusReport(*answer.status))
        out << line << '\n';
    return 0;
}
