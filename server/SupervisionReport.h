// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/ServerStart.h"
#include "server/StatusQuery.h"

#include <chrono>
#include <functional>

// What the supervision of a server in the foreground tells as it goes, for those who watch it (the metrics file,
// the event command, the webhook). It tells what the supervisor decided; a watcher changes nothing.
struct SupervisionReport {
    enum Kind {
        StatusQueried, // a status query was answered or went unanswered: `answer`
        Ready,        // the server answered for the first time (`answer`, after `silent`), or runs when it answers none
        NotAnswering, // a query went unanswered after an answer, or the start check ended without one: `silent`
        AnsweringAgain, // the first answer after NotAnswering: `answer`, and how long it was `silent`
        Hung,           // no answer for the hang time: the server is stopped now; `silent`
        StopAsked,      // a stop was asked for (SIGTERM, SIGINT, SIGHUP)
        Ended           // the server's group has ended: `exitCode`, and whether a stop was `requested`
    };
    Kind kind;
    const StartedServer& server;
    const StatusAnswer* answer = nullptr;
    std::chrono::milliseconds silent{0}; // since the last answer (or since the start)
    int exitCode = 0;
    bool requested = false;
};

// Where the supervision sends its reports; called on the supervisor's thread, and must not hold it up.
using SupervisionSink = std::function<void(const SupervisionReport& report)>;
