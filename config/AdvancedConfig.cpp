// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedConfig.h"

#include "config/CfgFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <string_view>

namespace {

// A setting line whose value is one quoted string, "<command> <name> "<value>"", with a double quote inside it
// gets that quote written as the game can read it: the line as written then, nullopt for any other line (comment,
// exec, free text, a value followed by a comment or by a second command), which is written as typed. A "//" or a
// ";" in the value shows that the quotes were meant as they stand.
std::optional<std::string> QuoteReplaced(std::string_view text) {
    const auto nameStart = text.find(' ') + 1;
    const auto valueStart = nameStart == 0 ? std::string_view::npos : text.find(' ', nameStart) + 1;
    if (nameStart <= 1 || valueStart <= nameStart + 1 || text.starts_with("//") || text.size() - valueStart < 2 ||
        text[valueStart] != '"' || text.back() != '"')
        return std::nullopt;
    const std::string_view value = text.substr(valueStart + 1, text.size() - valueStart - 2);
    if (value.find('"') == std::string_view::npos || value.find("//") != std::string_view::npos ||
        value.find(';') != std::string_view::npos)
        return std::nullopt;
    // The game has no escape for a quote inside a value: each one becomes a single quote, in place.
    std::string line(text);
    std::replace(line.begin() + static_cast<std::ptrdiff_t>(valueStart) + 1, line.end() - 1, '"', '\'');
    return line;
}

} // namespace

namespace {

constexpr std::string_view AdvancedStem = "advanced";
constexpr std::string_view CfgExtension = ".cfg";

} // namespace

std::string AdvancedConfigName(const Instance& instance) {
    return instance.FileName(AdvancedStem, CfgExtension);
}

std::optional<Instance> AdvancedConfigInstance(const std::string& fileName) {
    return Instance::OfFileName(fileName, AdvancedStem, CfgExtension);
}

void WriteAdvancedConfig(const LineList& lines, const std::string& gameFolder, const std::string& modFolder,
                         const Instance& instance, const LogSink& log) {
    // The lines are added one by one: a long list is never copied whole. The line has no subject of its own: the
    // file names it by its number.
    CfgFileText file(gameFolder, JoinPath(modFolder, AdvancedConfigName(instance)), log);
    for (const std::string_view text : lines) {
        const auto replaced = QuoteReplaced(text);
        file.Add({}, replaced ? std::string_view(*replaced) : text, replaced.has_value());
    }
    file.Save();
    log("Adavanced cfg : saved");
}
