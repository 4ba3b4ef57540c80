// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/SupervisionReport.h"

#include <optional>
#include <string>
#include <vector>

// The changes of a supervised server that its watchers hear of, and how they are told: to a command as its
// environment, to people as one sentence.

enum class ServerEvent { Ready, NotAnswering, AnsweringAgain, Hung, Ended, Stopped };

// An event with what is known of its server then.
struct EventFacts {
    ServerEvent event = ServerEvent::Ready;
    std::string instance;               // the instance's name; empty for the plain one
    std::string game;                   // the game folder
    std::string address;                // "host:port"; empty for a server that answers no query
    std::string map;                    // the last map the server told; empty before it told one
    std::optional<std::size_t> players; // the players of its last answer
    std::string detail;                 // "no answer for 5 s", "exit code 3", "mp_harbor, dm, 1 player"
    std::optional<int> exitCode;        // Ended
};

// "ready", "not-answering", "answering-again", "hung", "ended", "stopped".
const char* EventName(ServerEvent event);

// The event that `report` is, with the facts of its server and `lastStatus`, the server's last answer (taken in
// before); nullopt for a report that is no change (a status query, the stop asked for before "stopped").
std::optional<EventFacts> EventOf(const SupervisionReport& report, const std::optional<ServerStatus>& lastStatus);

// The environment of the event command: QUENDRY_EVENT, QUENDRY_INSTANCE, QUENDRY_GAME, QUENDRY_ADDRESS,
// QUENDRY_MAP, QUENDRY_PLAYERS (empty when not known), QUENDRY_DETAIL and, for "ended", QUENDRY_EXIT_CODE, as
// "NAME=VALUE".
std::vector<std::string> EventEnvironment(const EventFacts& facts);

// The event for people: "Server main on 127.0.0.1:28960 is not answering: no answer for 5 s".
std::string EventMessage(const EventFacts& facts);
