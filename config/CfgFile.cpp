// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/CfgFile.h"

#include "platform/AtomicFile.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <filesystem>

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
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.text.size() + 2;
    std::string content;
    content.reserve(size);
    // A line without a subject of its own is named by its number in the file, when something of it is logged.
    const std::string fileName = std::filesystem::path(relative).filename().string();
    std::size_t number = 0;
    for (const auto& line : lines) {
        ++number;
        const auto subject = [&] {
            return line.subject.empty() ? fileName + " line " + std::to_string(number) : line.subject;
        };
        const std::size_t start = content.size();
        bool lost = false;
        AppendWindows1252(content, line.text, &lost);
        // Control characters are ASCII, the same bytes in both encodings.
        const auto written = content.begin() + static_cast<std::ptrdiff_t>(start);
        const bool controls = std::any_of(written, content.end(), IsControl);
        if (controls)
            std::replace_if(written, content.end(), IsControl, ' ');
        content += "\r\n";
        // The game would read a wrong value; the user must learn which setting to retype.
        if (line.quoteReplaced)
            log(subject() + " : double quote written as '");
        if (controls)
            log(subject() + " : control character written as a blank");
        if (lost)
            log(subject() + " : character written as ?");
    }
    // Either file may hold a password (g_password, an rcon_password of the advanced lines).
    WriteFileBelow(gameFolder, relative, content, PrivateFileMode);
}
