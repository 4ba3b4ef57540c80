// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"
#include "server/ServerEvents.h"
#include "server/SupervisionReport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How long an event command may run, and a webhook post take with its tries, unless told otherwise.
inline constexpr std::chrono::milliseconds DefaultEventLimit{10000};

// Where the events of a supervised server go.
struct EventTargets {
    std::vector<std::string> command; // the event command and its arguments; empty for none
    std::string webhook;              // the webhook's URL; empty for none
    std::chrono::milliseconds limit = DefaultEventLimit;
};

// Hands each event of a supervised server to the event command and to the webhook, each on a thread of its own
// that takes the events in their order, so that neither holds up the supervision; what fails is logged and ends
// nothing.
class EventDispatcher {
public:
    EventDispatcher(EventTargets targets, LogSink log);
    // Waits for the events still on their way, each within the limit.
    ~EventDispatcher();
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    // Takes in the server's answers and hands the event that `report` is, if any, on.
    void Take(const SupervisionReport& report);

private:
    class Deliveries;

    EventTargets targets_;
    LogSink log_;
    std::optional<ServerStatus> lastStatus_;
    std::unique_ptr<Deliveries> commands_;
    std::unique_ptr<Deliveries> posts_;
};
