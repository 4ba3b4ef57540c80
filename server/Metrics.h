// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/StatusReply.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The servers' metrics in the text format that Prometheus scrapes (and the node exporter's textfile collector
// reads): each family with its help and type lines, names with the "quendry_" prefix and in base units.

// One server as its metrics tell it.
struct ServerMetrics {
    std::string server;          // label "server": the instance ("(plain)", "main"); empty when no game folder is known
    std::string game;            // label "game": the game folder; empty when it is not known
    std::string address;         // label "address": "host:port"; empty for a server that answers no query
    std::optional<bool> running; // whether its process runs, when that is known
    std::optional<ServerStatus> status;     // its answer to the status query; nullopt when it did not answer
    std::chrono::milliseconds roundTrip{0}; // from the query to the answer
    std::optional<std::chrono::system_clock::time_point> startedAt; // when its process started
    bool queried = true; // false for a server that answers no query: no "quendry_up"
};

// What a supervisor counted since it started its server.
struct SupervisorCounts {
    unsigned long long unansweredQueries = 0;
    unsigned long long hangs = 0;
    unsigned long long stopsRequested = 0;
};

// The supervisor's counts that a metrics file written by PrometheusText holds; zero for a count it lacks. A new
// supervisor continues the counts of the last one, so that a scraper sees them only ever grow.
SupervisorCounts SupervisorCountsIn(const std::string& text);

// The metrics of `servers`, and the counts of their supervisor when given: quendry_up, quendry_running,
// quendry_players, quendry_player_limit, quendry_status_round_trip_seconds, quendry_server_info (map, gametype,
// host name), quendry_process_start_time_seconds, and the counters quendry_status_queries_unanswered_total,
// quendry_hangs_total and quendry_stops_requested_total. A family without a value is left out.
std::string PrometheusText(const std::vector<ServerMetrics>& servers, const SupervisorCounts* counts = nullptr);
