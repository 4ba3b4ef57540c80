// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StatusReply.h"

#include "platform/AsciiCase.h"
#include "platform/TerminalText.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view ReplyHeader = "\xff\xff\xff\xffstatusResponse";

// The lines of `text`, each without its line feed and a carriage return before it.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The value of `key` in a settings line "\key\value\key\value..." (the first when a key repeats, as the game
// reads it); empty when the key is absent. Keys match without regard to letter case.
std::string_view SettingValue(std::string_view settings, std::string_view key) {
    if (!settings.empty() && settings.front() == '\\')
        settings.remove_prefix(1);
    while (!settings.empty()) {
        const std::size_t keyEnd = settings.find('\\');
        const std::string_view name = settings.substr(0, keyEnd);
        if (keyEnd == std::string_view::npos)
            return {};
        settings.remove_prefix(keyEnd + 1);
        const std::size_t valueEnd = settings.find('\\');
        const std::string_view value = settings.substr(0, valueEnd);
        if (SameTextAscii(name, key))
            return value;
        settings = valueEnd == std::string_view::npos ? std::string_view() : settings.substr(valueEnd + 1);
    }
    return {};
}

// Reads a whole number followed by a blank or the end of `text` and moves past it.
std::optional<int> TakeNumber(std::string_view& text) {
    text = TrimBlanks(text);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || (end != text.data() + text.size() && !IsBlank(*end)))
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return number;
}

// A setting's value as a whole number; nullopt when it is none.
std::optional<int> WholeNumber(std::string_view value) {
    const auto number = TakeNumber(value);
    return number && TrimBlanks(value).empty() ? number : std::nullopt;
}

std::optional<PlayerStatus> ParsePlayerLine(std::string_view line) {
    const auto score = TakeNumber(line);
    if (!score)
        return std::nullopt;
    const auto ping = TakeNumber(line);
    if (!ping)
        return std::nullopt;
    const std::size_t first = line.find('"');
    const std::size_t last = line.rfind('"');
    std::string_view name = TrimBlanks(line);
    if (first != std::string_view::npos)
        name = last > first ? line.substr(first + 1, last - first - 1) : line.substr(first + 1);
    return PlayerStatus{*score, *ping, CleanGameText(name)};
}

// The text of the game's bytes, without the characters unsafe for a terminal and, unless `keepCodes`, without its
// colour codes.
std::string GameText(std::string_view bytes, bool keepCodes) {
    const std::string text = DecodeUtf8OrWindows1252(bytes);
    std::string clean;
    clean.reserve(text.size());
    bool code = false; // the character before was a "^" that starts a colour code
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = std::max<std::size_t>(DecodeUtf8At(text, i, c), 1);
        const bool startsCode = !code && c == '^' && i + 1 < text.size() && text[i + 1] != '^';
        if (!IsUnsafeForTerminal(c) && (keepCodes || (!startsCode && !code)))
            clean.append(text, i, length);
        code = startsCode;
        i += length;
    }
    return clean;
}

} // namespace

std::string StatusRequest() {
    return "\xff\xff\xff\xffgetstatus";
}

std::string CleanGameText(std::string_view bytes) {
    return GameText(bytes, false);
}

std::string ReadableGameText(std::string_view bytes) {
    return GameText(bytes, true);
}

bool EndsItsSettingsLine(std::string_view reply) {
    const std::size_t settings = reply.find('\n');
    return reply.starts_with(ReplyHeader) && settings != std::string_view::npos &&
           reply.find('\n', settings + 1) != std::string_view::npos;
}

std::optional<ServerStatus> ParseStatusReply(std::string_view reply) {
    if (reply.substr(0, ReplyHeader.size()) != ReplyHeader)
        return std::nullopt;
    const std::vector<std::string_view> lines = SplitLines(reply.substr(ReplyHeader.size()));
    if (!lines.empty() && !TrimBlanks(lines.front()).empty())
        return std::nullopt;
    ServerStatus status;
    if (lines.size() < 2)
        return status;
    const std::string_view settings = lines[1];
    status.hostName = CleanGameText(SettingValue(settings, "sv_hostname"));
    status.map = CleanGameText(SettingValue(settings, "mapname"));
    status.gametype = CleanGameText(SettingValue(settings, "g_gametype"));
    status.rawHostName = ReadableGameText(SettingValue(settings, "sv_hostname"));
    status.playerLimit = WholeNumber(SettingValue(settings, "sv_maxclients"));
    if (const auto needsPassword = WholeNumber(SettingValue(settings, "g_needpass")))
        status.needsPassword = *needsPassword != 0;
    for (std::size_t i = 2; i < lines.size(); ++i)
        if (auto player = ParsePlayerLine(lines[i]))
            status.players.push_back(std::move(*player));
    return status;
}
