// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerEvents.h"

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// This test program stands in for the supervised server of instance "main" in /srv/cod on port 28961.
StartedServer MainServer() {
    return {*ProcessHandle::Open(::getpid()),
            {"/srv/cod/cod_lnxded", "+set dedicated 2 +set net_port 28961", "/srv/cod/BriselaMOD_v2",
             *Instance::Named("main")},
            0};
}

TEST(ServerEventsTest, EachChangeIsAnEventWithItsFacts) {
    const StartedServer server = MainServer();
    ServerStatus status;
    status.map = "mp_harbor";
    status.gametype = "dm";
    status.players = {{5, 20, "Player"}};
    const StatusAnswer answer{status, {}, 10ms};
    const StatusAnswer silence{std::nullopt, "No answer from 127.0.0.1:28961", 0ms};
    struct Case {
        SupervisionReport report;
        std::optional<std::string> name; // nullopt: no event
        std::string detail;
        std::string message;
    };
    const Case cases[] = {
        {{SupervisionReport::StatusQueried, server, &answer}, std::nullopt, "", ""},
        {{SupervisionReport::StopAsked, server}, std::nullopt, "", ""},
        {{SupervisionReport::Ready, server, &answer, 1200ms},
         "ready",
         "mp_harbor, dm, 1 player",
         "Server main on 127.0.0.1:28961 is ready: mp_harbor, dm, 1 player"},
        {{SupervisionReport::NotAnswering, server, &silence, 5s},
         "not-answering",
         "no answer for 5 s",
         "Server main on 127.0.0.1:28961 is not answering: no answer for 5 s"},
        {{SupervisionReport::AnsweringAgain, server, &answer, 12s},
         "answering-again",
         "after 12 s without an answer",
         "Server main on 127.0.0.1:28961 is answering again: after 12 s without an answer"},
        {{SupervisionReport::Hung, server, nullptr, 60s},
         "hung",
         "no answer for 60 s",
         "Server main on 127.0.0.1:28961 hung and is stopped: no answer for 60 s"},
        {{SupervisionReport::Ended, server, nullptr, 0ms, 3, false},
         "ended",
         "exit code 3",
         "Server main on 127.0.0.1:28961 ended by itself: exit code 3"},
        {{SupervisionReport::Ended, server, nullptr, 0ms, 143, true},
         "stopped",
         "",
         "Server main on 127.0.0.1:28961 was stopped as asked"},
    };
    for (const auto& [report, name, detail, message] : cases) {
        SCOPED_TRACE(message);
        const auto facts = EventOf(report, status);
        ASSERT_EQ(facts.has_value(), name.has_value());
        if (!facts)
            continue;
        EXPECT_EQ(EventName(facts->event), *name);
        EXPECT_EQ(facts->detail, detail);
        EXPECT_EQ(EventMessage(*facts), message);
        std::vector<std::string> environment = {"QUENDRY_EVENT=" + *name,  "QUENDRY_INSTANCE=main",
                                                "QUENDRY_GAME=/srv/cod",   "QUENDRY_ADDRESS=127.0.0.1:28961",
                                                "QUENDRY_MAP=mp_harbor",   "QUENDRY_PLAYERS=1",
                                                "QUENDRY_DETAIL=" + detail};
        if (*name == "ended")
            environment.push_back("QUENDRY_EXIT_CODE=3");
        EXPECT_EQ(EventEnvironment(*facts), environment);
    }
}

TEST(ServerEventsTest, WhatIsNotKnownYetIsEmpty) {
    const StartedServer server = MainServer();
    const auto facts = EventOf({SupervisionReport::NotAnswering, server, nullptr, 15s}, std::nullopt);
    ASSERT_TRUE(facts);
    const std::vector<std::string> environment = EventEnvironment(*facts);
    EXPECT_EQ(environment[4], "QUENDRY_MAP=");
    EXPECT_EQ(environment[5], "QUENDRY_PLAYERS=");
}

} // namespace
