#include "server/GamePort.h"

#include "server/StatusQuery.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The port a line sets, or 0 when it sets none.
int PortSetBy(const std::string& line) {
    std::istringstream words(line);
    std::string command, name, value;
    if (!(words >> command >> name >> value))
        return 0;
    command = Lower(command);
    if ((command != "set" && command != "seta" && command != "sets" && command != "setu") || Lower(name) != "net_port")
        return 0;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (value.empty() || value.size() > 5 ||
        !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return 0;
    const int port = std::stoi(value);
    return port <= 65535 ? port : 0;
}

} // namespace

int GamePortOf(const std::vector<std::string>& cfgLines) {
    int port = DefaultGamePort;
    for (const std::string& line : cfgLines)
        if (const int set = PortSetBy(line); set > 0)
            port = set;
    return port;
}
