// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerEvents.h"

#include "server/SecondsText.h"

#include <filesystem>
#include <iterator>

namespace {

struct EventText {
    ServerEvent event;
    const char* name;
    const char* phrase; // what the server did, after its name
};

constexpr EventText EventTexts[] = {
    {ServerEvent::Ready, "ready", "is ready"},
    {ServerEvent::NotAnswering, "not-answering", "is not answering"},
    {ServerEvent::AnsweringAgain, "answering-again", "is answering again"},
    {ServerEvent::Hung, "hung", "hung and is stopped"},
    {ServerEvent::Ended, "ended", "ended by itself"},
    {ServerEvent::Stopped, "stopped", "was stopped as asked"},
};

const EventText& TextOf(ServerEvent event) {
    for (const EventText& text : EventTexts)
        if (text.event == event)
            return text;
    return EventTexts[0];
}

// "mp_harbor, dm, 3 players".
std::string StatusDetail(const ServerStatus& status) {
    const std::size_t players = status.players.size();
    return status.map + ", " + status.gametype + ", " + std::to_string(players) +
           (players == 1 ? " player" : " players");
}

} // namespace

const char* EventName(ServerEvent event) {
    return TextOf(event).name;
}

std::optional<EventFacts> EventOf(const SupervisionReport& report, const std::optional<ServerStatus>& lastStatus) {
    EventFacts facts;
    switch (report.kind) {
    case SupervisionReport::StatusQueried:
    case SupervisionReport::StopAsked:
        return std::nullopt;
    case SupervisionReport::Ready:
        facts.event = ServerEvent::Ready;
        facts.detail = report.answer && report.answer->status ? StatusDetail(*report.answer->status) : "";
        break;
    case SupervisionReport::NotAnswering:
        facts.event = ServerEvent::NotAnswering;
        facts.detail = "no answer for " + SecondsText(report.silent);
        break;
    case SupervisionReport::AnsweringAgain:
        facts.event = ServerEvent::AnsweringAgain;
        facts.detail = "after " + SecondsText(report.silent) + " without an answer";
        break;
    case SupervisionReport::Hung:
        facts.event = ServerEvent::Hung;
        facts.detail = "no answer for " + SecondsText(report.silent);
        break;
    case SupervisionReport::Ended:
        facts.event = report.requested ? ServerEvent::Stopped : ServerEvent::Ended;
        if (!report.requested) {
            facts.exitCode = report.exitCode;
            facts.detail = "exit code " + std::to_string(report.exitCode);
        }
        break;
    }
    const ServerLaunch& launch = report.server.launch;
    facts.instance = launch.instance.Name();
    facts.game = std::filesystem::path(launch.modPath).parent_path().string();
    if (const auto address = StatusAddressOf(launch.parameters))
        facts.address = ServerAddress(address->host, address->port);
    if (lastStatus) {
        facts.map = lastStatus->map;
        facts.players = lastStatus->players.size();
    }
    return facts;
}

std::vector<std::string> EventEnvironment(const EventFacts& facts) {
    std::vector<std::string> environment = {
        std::string("QUENDRY_EVENT=") + EventName(facts.event),
        "QUENDRY_INSTANCE=" + facts.instance,
        "QUENDRY_GAME=" + facts.game,
        "QUENDRY_ADDRESS=" + facts.address,
        "QUENDRY_MAP=" + facts.map,
        "QUENDRY_PLAYERS=" + (facts.players ? std::to_string(*facts.players) : std::string()),
        "QUENDRY_DETAIL=" + facts.detail,
    };
    if (facts.exitCode)
        environment.push_back("QUENDRY_EXIT_CODE=" + std::to_string(*facts.exitCode));
    return environment;
}

std::string EventMessage(const EventFacts& facts) {
    std::string message = "Server";
    if (!facts.instance.empty())
        message += " " + facts.instance;
    if (!facts.address.empty())
        message += " on " + facts.address;
    message += std::string(" ") + TextOf(facts.event).phrase;
    return facts.detail.empty() ? message : message + ": " + facts.detail;
}
