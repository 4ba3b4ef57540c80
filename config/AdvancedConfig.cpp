#include "config/AdvancedConfig.h"

#include "config/CfgFile.h"
#include "platform/Paths.h"

#include <algorithm>

namespace {

// A setting line, "<command> <name> "<value>"", gets its value quoted as the game can read it; any other line
// (comment, exec, free text) stays as it is. The line has no subject of its own: the file names it by number.
CfgFileLine AdvancedFileLine(const std::string& text) {
    CfgFileLine line{{}, text};
    const auto nameStart = text.find(' ') + 1;
    const auto valueStart = nameStart == 0 ? std::string::npos : text.find(' ', nameStart) + 1;
    const bool setting = nameStart > 1 && valueStart > nameStart + 1 && !text.starts_with("//") &&
                         text.size() - valueStart >= 2 && text[valueStart] == '"' && text.back() == '"';
    if (setting) {
        // The game has no escape for a quote inside a value: each one becomes a single quote.
        const auto value = line.text.begin() + static_cast<std::ptrdiff_t>(valueStart) + 1;
        const auto end = line.text.end() - 1;
        line.quoteReplaced = std::find(value, end, '"') != end;
        std::replace(value, end, '"', '\'');
    }
    return line;
}

} // namespace

void WriteAdvancedConfig(const std::vector<std::string>& lines, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log) {
    std::vector<CfgFileLine> file;
    file.reserve(lines.size());
    for (const std::string& text : lines)
        file.push_back(AdvancedFileLine(text));
    SaveCfgFile(gameFolder, JoinPath(modFolder, "advanced.cfg"), file, log);
    log("Adavanced cfg : saved");
}
