// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The value that configuration lines give the console variable `name`, as the game reads them: the last line
// "set NAME VALUE" (or seta, sets, setu; letter case ignored) sets it, and its value is the rest of the line's
// words (blanks separate them, double quotes group them, "//" ends the line), joined by one blank. Nullopt when no line
// sets it.
std::optional<std::string> CvarSetBy(const LineList& cfgLines, std::string_view name);

// Where the server listens, as its configuration lines set it. The engine opens its socket before it executes
// any cfg file, so a Run puts these settings on the server's command line, and the status query reads them there.

// The network settings of configuration lines: the last "set net_port N" (N from 1 to 65535) and the last
// "set net_ip A" (or seta, sets, setu; quotes allowed, letter case ignored); nullopt for one no line sets.
struct NetSettings {
    std::optional<int> port;
    std::optional<std::string> ip;
};
NetSettings NetSettingsOf(const LineList& cfgLines);

// The port of NetSettingsOf, DefaultGamePort when no line sets one.
int GamePortOf(const LineList& cfgLines);

// The server's parameters that carry `settings`: " +set net_ip A" and " +set net_port N" for each one set;
// empty when none is.
std::string NetParameters(const NetSettings& settings);

// Where a server's status is asked.
struct StatusAddress {
    std::string host;
    int port = 0;
    friend bool operator==(const StatusAddress&, const StatusAddress&) = default;
};

// Where a server with `settings` is asked: its net_ip (127.0.0.1 when it has none or 0.0.0.0) and its net_port
// (DefaultGamePort when none).
StatusAddress ListenAddressOf(const NetSettings& settings);

// The address of the server started with `parameters`: its net_ip (127.0.0.1 when it has none or 0.0.0.0) and
// its net_port (DefaultGamePort when none); nullopt when they start no dedicated server ("+set dedicated" 0 or
// less), which answers no status query.
std::optional<StatusAddress> StatusAddressOf(const std::string& parameters);

// The network settings that the server's `parameters` set ("+set net_ip A", "+set net_port N"), as a Run wrote
// them on its command line.
NetSettings NetSettingsOfParameters(const std::string& parameters);

// True when a server with `one` and a server with `other` would want the same port (DefaultGamePort when none is
// set) of one address: both name the same address, or either listens on every address (none, or 0.0.0.0).
bool SharePort(const NetSettings& one, const NetSettings& other);
