// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/StatusQuery.h"

#include <string>
#include <vector>

// The status as the status command prints it and Server Activity shows it: "Host name : ", "Map : ",
// "Gametype : " and "Players : " lines (with the player limit when the server gives it: "Players : 6 / 8"), a
// "Password : needed" or "Password : none" line when the server says whether it needs one, then, when anyone plays, a
// table of score, ping and name.
std::vector<std::string> StatusReport(const ServerStatus& status);

// The one line of the main window: "Server status : " followed by the host name, map, gametype and player count,
// or by the reason there is no status.
std::string StatusLine(const StatusAnswer& answer);

// The line of the main window while the first answer of `address` ("host:port") is awaited.
std::string StatusWaitingLine(const std::string& address);
// The line of the main window while a server started `seconds` ago has not answered its start check yet:
// "Server status : starting (N s)".
std::string StatusStartingLine(long long seconds);
