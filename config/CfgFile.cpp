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

CfgFileText::CfgFileText(std::string relative, std::size_t size, const LogSink& log)
    : relative_(std::move(relative)), fileName_(std::filesystem::path(relative_).filename().string()), log_(log) {
    content_.reserve(size);
}

void CfgFileText::Add(std::string_view subject, std::string_view text, bool quoteReplaced) {
    ++lines_;
    // A line without a subject of its own is named by its number in the file, when something of it is logged.
    const auto named = [&] {
        return subject.empty() ? fileName_ + " line " + std::to_string(lines_) : std::string(subject);
    };
    const std::size_t start = content_.size();
    bool lost = false;
    AppendWindows1252(content_, text, &lost);
    // Control characters are ASCII, the same bytes in both encodings.
    const auto written = content_.begin() + static_cast<std::ptrdiff_t>(start);
    const bool controls = std::any_of(written, content_.end(), IsControl);
    if (controls)
        std::replace_if(written, content_.end(), IsControl, ' ');
    content_ += "\r\n";
    // The game would read a wrong value; the user must learn which setting to retype.
    if (quoteReplaced)
        log_(named() + " : double quote written as '");
    if (controls)
        log_(named() + " : control character written as a blank");
    if (lost)
        log_(named() + " : character written as ?");
}

void CfgFileText::Save(const std::string& gameFolder) const {
    // Either file may hold a password (g_password, an rcon_password of the advanced lines).
    WriteFileBelow(gameFolder, relative_, content_, PrivateFileMode);
}
