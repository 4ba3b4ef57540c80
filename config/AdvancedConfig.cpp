#include "config/AdvancedConfig.h"

#include "config/CfgFile.h"
#include "platform/Paths.h"

namespace {

// A setting line whose value is one quoted string, "<command> <name> "<value>"", with a double quote inside it
// gets that quote written as the game can read it. Any other line (comment, exec, free text, a value followed by
// a comment or by a second command) is written as typed: a "//" or a ";" in the value shows that the quotes
// were meant as they stand.
CfgFileLine AdvancedFileLine(const std::string& text, std::size_t number) {
    CfgFileLine line{"advanced.cfg line " + std::to_string(number), text};
    const auto nameStart = text.find(' ') + 1;
    const auto valueStart = nameStart == 0 ? std::string::npos : text.find(' ', nameStart) + 1;
    if (nameStart <= 1 || valueStart <= nameStart + 1 || text.starts_with("//") || text.size() - valueStart < 2 ||
        text[valueStart] != '"' || text.back() != '"')
        return line;
    const std::string value = text.substr(valueStart + 1, text.size() - valueStart - 2);
    if (value.find('"') != std::string::npos && value.find("//") == std::string::npos &&
        value.find(';') == std::string::npos)
        line.text = text.substr(0, valueStart) + QuotedValue(value, line.quoteReplaced);
    return line;
}

} // namespace

void WriteAdvancedConfig(const std::vector<std::string>& lines, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log) {
    std::vector<CfgFileLine> file;
    for (std::size_t i = 0; i < lines.size(); ++i)
        file.push_back(AdvancedFileLine(lines[i], i + 1));
    SaveCfgFile(JoinPath(JoinPath(gameFolder, modFolder), "advanced.cfg"), file, log);
    log("Adavanced cfg : saved");
}
