#include "config/CfgFile.h"

#include "platform/AtomicFile.h"
#include "platform/Windows1252.h"

#include <algorithm>

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

} // namespace

std::string QuotedValue(std::string value, bool& replaced) {
    replaced = std::ranges::find(value, '"') != value.end();
    std::ranges::replace(value, '"', '\'');
    return "\"" + value + "\"";
}

void SaveCfgFile(const std::string& gameFolder, const std::string& relative, const std::vector<CfgFileLine>& lines,
                 const LogSink& log) {
    std::string content;
    for (const auto& line : lines) {
        std::string text = line.text;
        const bool controls = std::ranges::any_of(text, IsControl);
        std::ranges::replace_if(text, IsControl, ' ');
        bool lost = false;
        content += EncodeWindows1252(text, &lost) + "\r\n";
        // The game would read a wrong value; the user must learn which setting to retype.
        if (line.quoteReplaced)
            log(line.subject + " : double quote written as '");
        if (controls)
            log(line.subject + " : control character written as a blank");
        if (lost)
            log(line.subject + " : character written as ?");
    }
    WriteFileBelow(gameFolder, relative, content);
}
