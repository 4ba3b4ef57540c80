// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StatusText.h"

#include <iomanip>
#include <sstream>

namespace {

const std::string StatusLinePrefix = "Server status : ";

std::string PlayerCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " player" : " players");
}

} // namespace

std::vector<std::string> StatusReport(const ServerStatus& status) {
    std::vector<std::string> lines = {
        "Host name : " + status.hostName,
        "Map : " + status.map,
        "Gametype : " + status.gametype,
        "Players : " + std::to_string(status.players.size()) +
            (status.playerLimit ? " / " + std::to_string(*status.playerLimit) : std::string()),
    };
    if (status.needsPassword)
        lines.push_back(*status.needsPassword ? "Password : needed" : "Password : none");
    if (status.players.empty())
        return lines;
    lines.emplace_back(" Score   Ping  Name");
    for (const PlayerStatus& player : status.players) {
        std::ostringstream line;
        // A blank between the columns keeps them apart however wide a number is.
        line << std::setw(6) << player.score << ' ' << std::setw(6) << player.ping << "  " << player.name;
        lines.push_back(line.str());
    }
    return lines;
}

std::string StatusWaitingLine(const std::string& address) {
    return StatusLinePrefix + "Asking " + address;
}

std::string StatusStartingLine(long long seconds) {
    return StatusLinePrefix + "starting (" + std::to_string(seconds) + " s)";
}

std::string StatusLine(const StatusAnswer& answer) {
    std::string line = StatusLinePrefix;
    if (!answer.status)
        return line + answer.error;
    for (const std::string* part : {&answer.status->hostName, &answer.status->map, &answer.status->gametype})
        if (!part->empty())
            line += *part + ", ";
    return line + PlayerCount(answer.status->players.size());
}
