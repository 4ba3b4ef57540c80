// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/GamePort.h"

#include "platform/AsciiCase.h"
#include "server/StatusQuery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <sstream>

namespace {

// True when the second word of console line `line` (after blanks, and an opening quote) begins with `prefix`, ASCII
// letter case ignored: the name a "set" line sets. Looks at no more of the line than that, so that a long list's
// other lines are not split into words.
bool SecondWordBeginsWith(std::string_view line, std::string_view prefix) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t i = 0;
    while (i < line.size() && blank(line[i]))
        ++i;
    while (i < line.size() && !blank(line[i]))
        ++i;
    while (i < line.size() && blank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"')
        ++i;
    return StartsWithAscii(line.substr(i), prefix);
}

// The words of a console line: blanks separate them, double quotes group them, "//" outside quotes ends the line.
std::vector<std::string> ConsoleWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ')
            ++i;
        if (i >= line.size() || line.compare(i, 2, "//") == 0)
            return words;
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            words.emplace_back(line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
            i = end == std::string::npos ? line.size() : end + 1;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ')
            ++i;
        words.emplace_back(line.substr(start, i - start));
    }
}

// A port from 1 to 65535 written in digits only, or 0.
int PortOf(const std::string& value) {
    int port = 0;
    if (value.empty() || value.size() > 5 ||
        !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return 0;
    std::from_chars(value.data(), value.data() + value.size(), port);
    return port <= 65535 ? port : 0;
}

// An address the server may listen on: one word of letters, digits, dots, colons and hyphens, so that it stays one
// word of the server's command line.
bool IsAddress(const std::string& value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '.' || c == ':' || c == '-';
    });
}

// A server without an address, or with 0.0.0.0, listens on every address of the machine.
bool OnEveryAddress(const NetSettings& settings) {
    return !settings.ip || settings.ip->empty() || *settings.ip == "0.0.0.0";
}

// What the Run's own parameters (words without quotes) set: the server type and the network settings.
struct CommandLineSettings {
    int dedicated = 0;
    NetSettings net;
};

CommandLineSettings CommandLineSettingsOf(const std::string& parameters) {
    std::istringstream split(parameters);
    const std::vector<std::string> words{std::istream_iterator<std::string>(split),
                                         std::istream_iterator<std::string>()};
    CommandLineSettings settings;
    for (std::size_t i = 0; i + 2 < words.size(); ++i) {
        if (LowerCaseAscii(words[i]) != "+set")
            continue;
        const std::string name = LowerCaseAscii(words[i + 1]);
        const std::string& value = words[i + 2];
        if (name == "dedicated")
            std::from_chars(value.data(), value.data() + value.size(), settings.dedicated);
        else if (name == "net_port" && PortOf(value) > 0)
            settings.net.port = PortOf(value);
        else if (name == "net_ip")
            settings.net.ip = value;
    }
    return settings;
}

} // namespace

std::optional<std::string> CvarSetBy(const LineList& cfgLines, std::string_view name) {
    std::optional<std::string> value;
    for (const std::string_view line : cfgLines) {
        // A long list holds few lines that name the variable: the others are not split into words.
        if (!SecondWordBeginsWith(line, name))
            continue;
        const std::vector<std::string> words = ConsoleWords(line);
        // "set NAME" alone only shows the value.
        if (words.size() < 3)
            continue;
        const std::string command = LowerCaseAscii(words[0]);
        if ((command != "set" && command != "seta" && command != "sets" && command != "setu") ||
            !SameTextAscii(words[1], name))
            continue;
        std::string set;
        for (std::size_t i = 2; i < words.size(); ++i)
            set += (i > 2 ? " " : "") + words[i];
        value = set;
    }
    return value;
}

NetSettings NetSettingsOf(const LineList& cfgLines) {
    // Only lines that set a valid value count: the last of them wins.
    NetSettings settings;
    for (const std::string_view line : cfgLines) {
        if (!SecondWordBeginsWith(line, "net_"))
            continue;
        if (const auto port = CvarSetBy({line}, "net_port"); port && PortOf(*port) > 0)
            settings.port = PortOf(*port);
        if (const auto ip = CvarSetBy({line}, "net_ip"); ip && IsAddress(*ip))
            settings.ip = *ip;
    }
    return settings;
}

int GamePortOf(const LineList& cfgLines) {
    return NetSettingsOf(cfgLines).port.value_or(DefaultGamePort);
}

std::string NetParameters(const NetSettings& settings) {
    std::string parameters;
    if (settings.ip)
        parameters.append(" +set net_ip ").append(*settings.ip);
    if (settings.port)
        parameters.append(" +set net_port ").append(std::to_string(*settings.port));
    return parameters;
}

StatusAddress ListenAddressOf(const NetSettings& settings) {
    return {OnEveryAddress(settings) ? std::string("127.0.0.1") : *settings.ip,
            settings.port.value_or(DefaultGamePort)};
}

std::optional<StatusAddress> StatusAddressOf(const std::string& parameters) {
    const CommandLineSettings settings = CommandLineSettingsOf(parameters);
    if (settings.dedicated <= 0)
        return std::nullopt;
    return ListenAddressOf(settings.net);
}

NetSettings NetSettingsOfParameters(const std::string& parameters) {
    return CommandLineSettingsOf(parameters).net;
}

bool SharePort(const NetSettings& one, const NetSettings& other) {
    return one.port.value_or(DefaultGamePort) == other.port.value_or(DefaultGamePort) &&
           (OnEveryAddress(one) || OnEveryAddress(other) || *one.ip == *other.ip);
}
