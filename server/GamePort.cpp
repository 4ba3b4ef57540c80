#include "server/GamePort.h"

#include "server/StatusQuery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <sstream>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
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

// The name and value a "set" line sets, the name in lower case; nullopt for any other line.
std::optional<std::pair<std::string, std::string>> SetBy(const std::string& line) {
    std::istringstream words(line);
    std::string command, name, value;
    if (!(words >> command >> name >> value))
        return std::nullopt;
    command = Lower(command);
    if (command != "set" && command != "seta" && command != "sets" && command != "setu")
        return std::nullopt;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::pair(Lower(name), value);
}

std::string HostOf(const std::optional<std::string>& ip) {
    return !ip || ip->empty() || *ip == "0.0.0.0" ? std::string("127.0.0.1") : *ip;
}

} // namespace

NetSettings NetSettingsOf(const std::vector<std::string>& cfgLines) {
    NetSettings settings;
    for (const std::string& line : cfgLines) {
        const auto set = SetBy(line);
        if (!set)
            continue;
        if (set->first == "net_port") {
            if (const int port = PortOf(set->second); port > 0)
                settings.port = port;
        } else if (set->first == "net_ip" && !set->second.empty()) {
            settings.ip = set->second;
        }
    }
    return settings;
}

int GamePortOf(const std::vector<std::string>& cfgLines) {
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

std::optional<StatusAddress> StatusAddressOf(const std::string& parameters) {
    // The parameters are the Run's own: words without quotes.
    std::istringstream split(parameters);
    const std::vector<std::string> words{std::istream_iterator<std::string>(split),
                                         std::istream_iterator<std::string>()};
    int dedicated = 0;
    NetSettings settings;
    for (std::size_t i = 0; i + 2 < words.size(); ++i) {
        if (Lower(words[i]) != "+set")
            continue;
        const std::string name = Lower(words[i + 1]);
        const std::string& value = words[i + 2];
        if (name == "dedicated")
            std::from_chars(value.data(), value.data() + value.size(), dedicated);
        else if (name == "net_port" && PortOf(value) > 0)
            settings.port = PortOf(value);
        else if (name == "net_ip")
            settings.ip = value;
    }
    if (dedicated <= 0)
        return std::nullopt;
    return StatusAddress{HostOf(settings.ip), settings.port.value_or(DefaultGamePort)};
}
