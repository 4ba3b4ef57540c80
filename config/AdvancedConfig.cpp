#include "config/AdvancedConfig.h"

#include "config/CfgFile.h"
#include "platform/Paths.h"

namespace {

// A setting line, "<command> <name> "<value>"", gets its value quoted as the game can read it; any other line
// (comment, exec, free text) stays as it is.
CfgFileLine AdvancedFileLine(const std::string& text, std::size_t number) {
    CfgFileLine line{"advanced.cfg line " + std::to_string(number), text};
    const auto nameStart = text.find(' ') + 1;
    const auto valueStart = nameStart == 0 ? std::string::npos : text.find(' ', nameStart) + 1;
    const bool setting = nameStart > 1 && valueStart > nameStart + 1 && !text.starts_with("//") &&
                         text.size() - valueStart >= 2 && text[valueStart] == '"' && text.back() == '"';
    if (setting)
        line.text = text.substr(0, valueStart) +
                    QuotedValue(text.substr(valueStart + 1, text.size() - valueStart - 2), line.quoteReplaced);
    return line;
}

} // namespace

void WriteAdvancedConfig(const std::vector<std::string>& lines, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log) {
    std::vector<CfgFileLine> file;
    for (std::size_t i = 0; i < lines.size(); ++i)
        file.push_back(AdvancedFileLine(lines[i], i + 1));
    SaveCfgFile(gameFolder, JoinPath(modFolder, "advanced.cfg"), file, log);
    log("Adavanced cfg : saved");
}
