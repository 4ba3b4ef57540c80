// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedConfig.h"

#include "config/CfgFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <string_view>

namespace {

// A setting line whose value is one quoted string, "<command> <name> "<value>"", with a double quote inside it
// gets that quote written as the game can read it. Any other line (comment, exec, free text, a value followed by
// a comment or by a second command) is written as typed: a "//" or a ";" in the value shows that the quotes
// were meant as they stand. The line has no subject of its own: the file names it by its number.
CfgFileLine AdvancedFileLine(const std::string& text) {
    CfgFileLine line{{}, text};
    const auto nameStart = text.find(' ') + 1;
    const auto valueStart = nameStart == 0 ? std::string::npos : text.find(' ', nameStart) + 1;
    if (nameStart <= 1 || valueStart <= nameStart + 1 || text.starts_with("//") || text.size() - valueStart < 2 ||
        text[valueStart] != '"' || text.back() != '"')
        return line;
    const std::string_view value = std::string_view(text).substr(valueStart + 1, text.size() - valueStart - 2);
    if (value.find('"') == std::string_view::npos || value.find("//") != std::string_view::npos ||
        value.find(';') != std::string_view::npos)
        return line;
    // The game has no escape for a quote inside a value: each one becomes a single quote, in place.
    const auto begin = line.text.begin() + static_cast<std::ptrdiff_t>(valueStart) + 1;
    std::replace(begin, line.text.end() - 1, '"', '\'');
    line.quoteReplaced = true;
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

void WriteAdvancedConfig(const std::vector<std::string>& lines, const std::string& gameFolder,
                         const std::string& modFolder, const Instance& instance, const LogSink& log) {
    std::vector<CfgFileLine> file;
    file.reserve(lines.size());
    for (const std::string& text : lines)
        file.push_back(AdvancedFileLine(text));
    SaveCfgFile(gameFolder, JoinPath(modFolder, AdvancedConfigName(instance)), file, log);
    log("Adavanced cfg : saved");
}
