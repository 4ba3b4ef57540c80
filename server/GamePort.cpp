#include "server/GamePort.h"

#include "server/StatusQuery.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The words of a console line: blanks separate them, double quotes group them, "//" outside quotes ends the line.
std::vector<std::string> ConsoleWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ')
            ++i;
        if (i >= line.size() || line.compare(i, 2, "//") == 0)
            return words;
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            words.push_back(line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
            i = end == std::string::npos ? line.size() : end + 1;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ')
            ++i;
        words.push_back(line.substr(start, i - start));
    }
}

} // namespace

std::optional<std::string> CvarSetBy(const std::vector<std::string>& cfgLines, std::string_view name) {
    std::optional<std::string> value;
    for (const std::string& line : cfgLines) {
        const std::vector<std::string> words = ConsoleWords(line);
        // "set NAME" alone only shows the value.
        if (words.size() < 3)
            continue;
        const std::string command = Lower(words[0]);
        if ((command != "set" && command != "seta" && command != "sets" && command != "setu") ||
            Lower(words[1]) != Lower(std::string(name)))
            continue;
        std::string set;
        for (std::size_t i = 2; i < words.size(); ++i)
            set += (i > 2 ? " " : "") + words[i];
        value = set;
    }
    return value;
}

int GamePortOf(const std::vector<std::string>& cfgLines) {
    // Only lines that set a valid port count: the last of them wins.
    int port = DefaultGamePort;
    for (const std::string& line : cfgLines) {
        const auto value = CvarSetBy({line}, "net_port");
        if (!value || value->empty() || value->size() > 5 ||
            !std::all_of(value->begin(), value->end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
            continue;
        if (const int set = std::stoi(*value); set >= 1 && set <= 65535)
            port = set;
    }
    return port;
}
