// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Metrics.h"

#include "support/PromtoolCheck.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace std::chrono_literals;

ServerStatus Harbor() {
    ServerStatus status;
    status.hostName = "Brisela";
    status.map = "mp_harbor";
    status.gametype = "sd";
    status.players = {{12, 48, "Tom"}, {-3, 0, "Bob"}, {0, 999, "Cafe"}};
    status.playerLimit = 8;
    return status;
}

// The answering server of instance "main", a silent one and a stopped one.
std::vector<ServerMetrics> ThreeServers() {
    ServerMetrics answering{"main",
                            "/srv/cod",
                            "127.0.0.1:28960",
                            true,
                            Harbor(),
                            25ms,
                            std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)),
                            true};
    ServerMetrics silent{"clan", "/srv/cod", "127.0.0.1:28961", true, std::nullopt, 0ms, std::nullopt, true};
    ServerMetrics stopped{"(plain)", "/srv/cod", "127.0.0.1:28962", false, std::nullopt, 0ms, std::nullopt, true};
    return {answering, silent, stopped};
}

TEST(MetricsTest, EachServerHasItsValuesAndEveryFamilyItsHelpAndType) {
    const std::string text = PrometheusText(ThreeServers());
    ExpectValidMetrics(text);
    const std::map<std::string, double> samples = MetricSamples(text);
    const std::string main = "{server=\"main\",game=\"/srv/cod\",address=\"127.0.0.1:28960\"}";
    const std::string clan = "{server=\"clan\",game=\"/srv/cod\",address=\"127.0.0.1:28961\"}";
    const std::string plain = "{server=\"(plain)\",game=\"/srv/cod\",address=\"127.0.0.1:28962\"}";
    const std::map<std::string, double> expected = {
        {"quendry_up" + main, 1},
        {"quendry_up" + clan, 0},
        {"quendry_up" + plain, 0},
        {"quendry_running" + main, 1},
        {"quendry_running" + clan, 1},
        {"quendry_running" + plain, 0},
        {"quendry_players" + main, 3},
        {"quendry_player_limit" + main, 8},
        {"quendry_status_round_trip_seconds" + main, 0.025},
        {"quendry_server_info{server=\"main\",game=\"/srv/cod\",address=\"127.0.0.1:28960\",map=\"mp_harbor\","
         "gametype=\"sd\",host_name=\"Brisela\"}",
         1},
        {"quendry_process_start_time_seconds" + main, 1700000000},
    };
    EXPECT_EQ(samples, expected) << text;
    // A server's own metrics carry no supervisor's counters.
    EXPECT_EQ(text.find("_total"), std::string::npos);
}

TEST(MetricsTest, ASupervisorAddsItsCounters) {
    const SupervisorCounts counts{4, 1, 2};
    const std::string text = PrometheusText({ThreeServers().front()}, &counts);
    ExpectValidMetrics(text);
    const std::map<std::string, double> samples = MetricSamples(text);
    const std::string main = "{server=\"main\",game=\"/srv/cod\",address=\"127.0.0.1:28960\"}";
    EXPECT_EQ(samples.at("quendry_status_queries_unanswered_total" + main), 4);
    EXPECT_EQ(samples.at("quendry_hangs_total" + main), 1);
    EXPECT_EQ(samples.at("quendry_stops_requested_total" + main), 2);
    EXPECT_NE(text.find("# TYPE quendry_hangs_total counter\n"), std::string::npos) << text;
}

TEST(MetricsTest, ANewSupervisorGoesOnFromTheCountsOfTheFileItFinds) {
    const SupervisorCounts counts{41, 3, 7};
    const SupervisorCounts read = SupervisorCountsIn(PrometheusText({ThreeServers().front()}, &counts));
    EXPECT_EQ(read.unansweredQueries, 41u);
    EXPECT_EQ(read.hangs, 3u);
    EXPECT_EQ(read.stopsRequested, 7u);
    const SupervisorCounts none = SupervisorCountsIn(PrometheusText(ThreeServers()) + "quendry_hangs_totally 5\n");
    EXPECT_EQ(none.unansweredQueries + none.hangs + none.stopsRequested, 0u);
}

TEST(MetricsTest, LabelValuesAreEscapedAndUnknownOnesLeftOut) {
    ServerStatus status = Harbor();
    status.hostName = "Back\\slash \"quoted\"\nnext";
    const ServerMetrics server{"", "", "10.0.0.1:28960", std::nullopt, status, 0ms, std::nullopt, true};
    const std::string text = PrometheusText({server});
    ExpectValidMetrics(text);
    EXPECT_NE(text.find("quendry_server_info{address=\"10.0.0.1:28960\",map=\"mp_harbor\",gametype=\"sd\","
                        "host_name=\"Back\\\\slash \\\"quoted\\\"\\nnext\"} 1\n"),
              std::string::npos)
        << text;
    // Nothing is known of its process: no family of its own, not even the help and type lines.
    EXPECT_EQ(text.find("quendry_running"), std::string::npos);
    EXPECT_EQ(text.find("quendry_process_start_time_seconds"), std::string::npos);
}

TEST(MetricsTest, AServerThatAnswersNoQueryHasNoUpMetric) {
    const ServerMetrics server{"main", "/srv/cod", "", true, std::nullopt, 0ms, std::nullopt, false};
    const std::string text = PrometheusText({server});
    ExpectValidMetrics(text);
    EXPECT_EQ(MetricSamples(text),
              (std::map<std::string, double>{{"quendry_running{server=\"main\",game=\"/srv/cod\"}", 1}}));
}

} // namespace
