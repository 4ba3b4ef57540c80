// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Metrics.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string_view>
#include <utility>

namespace {

// A label value as the text format writes it: backslash, double quote and line feed escaped.
std::string LabelValue(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\' || c == '"')
            escaped.append(1, '\\').append(1, c);
        else if (c == '\n')
            escaped.append("\\n");
        else
            escaped.append(1, c);
    }
    return escaped;
}

using Labels = std::vector<std::pair<std::string, std::string>>;

// "{name="value",...}" of the labels that have a value; empty when none has.
std::string LabelSet(const Labels& labels) {
    std::string set;
    for (const auto& [name, value] : labels)
        if (!value.empty())
            set.append(set.empty() ? "{" : ",").append(name).append("=\"").append(LabelValue(value)).append("\"");
    return set.empty() ? set : set + "}";
}

// The shortest text that reads back as `value`, whatever the locale.
std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// One family: its name, type and help, and the value it gives a server (none: no sample).
struct Family {
    const char* name;
    const char* type;
    const char* help;
    std::function<std::optional<double>(const ServerMetrics&)> value;
    std::function<Labels(const ServerMetrics&)> extraLabels = {};
};

Labels ServerLabels(const ServerMetrics& server) {
    return {{"server", server.server}, {"game", server.game}, {"address", server.address}};
}

const std::vector<Family>& ServerFamilies() {
    static const std::vector<Family> families = {
        {"quendry_up", "gauge", "Whether the server answered its status query (1) or not (0).",
         [](const ServerMetrics& server) {
             return server.queried ? std::optional<double>(server.status ? 1 : 0) : std::nullopt;
         }},
        {"quendry_running", "gauge", "Whether the server's process runs (1) or not (0).",
         [](const ServerMetrics& server) {
             return server.running ? std::optional<double>(*server.running ? 1 : 0) : std::nullopt;
         }},
        {"quendry_players", "gauge", "Players on the server.",
         [](const ServerMetrics& server) {
             return server.status ? std::optional<double>(static_cast<double>(server.status->players.size()))
                                  : std::nullopt;
         }},
        {"quendry_player_limit", "gauge", "The most players the server takes (sv_maxclients).",
         [](const ServerMetrics& server) {
             return server.status && server.status->playerLimit ? std::optional<double>(*server.status->playerLimit)
                                                                : std::nullopt;
         }},
        {"quendry_status_round_trip_seconds", "gauge", "Time from the status query to the server's answer.",
         [](const ServerMetrics& server) {
             return server.status ? std::optional<double>(std::chrono::duration<double>(server.roundTrip).count())
                                  : std::nullopt;
         }},
        {"quendry_server_info", "gauge", "The server's map, gametype and host name, as labels; always 1.",
         [](const ServerMetrics& server) { return server.status ? std::optional<double>(1) : std::nullopt; },
         [](const ServerMetrics& server) {
             return Labels{{"map", server.status->map},
                           {"gametype", server.status->gametype},
                           {"host_name", server.status->hostName}};
         }},
        {"quendry_process_start_time_seconds", "gauge", "Start time of the server's process since the Unix epoch.",
         [](const ServerMetrics& server) {
             return server.startedAt ? std::optional<double>(
                                           std::chrono::duration<double>(server.startedAt->time_since_epoch()).count())
                                     : std::nullopt;
         }},
    };
    return families;
}

// The supervisor's counters: name, help and the count.
struct Counter {
    const char* name;
    const char* help;
    unsigned long long SupervisorCounts::*count;
};

constexpr Counter Counters[] = {
    {"quendry_status_queries_unanswered_total", "Status queries of the supervisor that went unanswered.",
     &SupervisorCounts::unansweredQueries},
    {"quendry_hangs_total", "Hangs the supervisor detected: no answer for the hang time.", &SupervisorCounts::hangs},
    {"quendry_stops_requested_total", "Stops asked of the supervisor (SIGTERM, SIGINT, SIGHUP).",
     &SupervisorCounts::stopsRequested},
};

std::string Header(const char* name, const char* type, const char* help) {
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

} // namespace

SupervisorCounts SupervisorCountsIn(const std::string& text) {
    SupervisorCounts counts;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;
        for (const Counter& counter : Counters) {
            const std::string_view name = counter.name;
            if (!line.starts_with(name) || line.size() == name.size() ||
                (line[name.size()] != '{' && line[name.size()] != ' '))
                continue;
            const std::string_view value = line.substr(line.rfind(' ') + 1);
            std::from_chars(value.data(), value.data() + value.size(), counts.*counter.count);
        }
    }
    return counts;
}

std::string PrometheusText(const std::vector<ServerMetrics>& servers, const SupervisorCounts* counts) {
    std::string text;
    for (const Family& family : ServerFamilies()) {
        std::string samples;
        for (const ServerMetrics& server : servers) {
            const auto value = family.value(server);
            if (!value)
                continue;
            Labels labels = ServerLabels(server);
            if (family.extraLabels)
                for (auto& label : family.extraLabels(server))
                    labels.push_back(std::move(label));
            samples.append(family.name).append(LabelSet(labels)).append(" ").append(Number(*value)).append("\n");
        }
        if (!samples.empty())
            text.append(Header(family.name, family.type, family.help)).append(samples);
    }
    if (counts && !servers.empty())
        for (const Counter& counter : Counters)
            text.append(Header(counter.name, "counter", counter.help))
                .append(counter.name)
                .append(LabelSet(ServerLabels(servers.front())))
                .append(" ")
                .append(std::to_string(counts->*counter.count))
                .append("\n");
    return text;
}
