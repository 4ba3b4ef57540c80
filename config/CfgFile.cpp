// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/CfgFile.h"

#include "platform/AtomicFile.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// True when `text` holds a control character, looked for eight bytes at a time.
bool HasControl(std::string_view text) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    std::size_t at = 0;
    for (std::uint64_t word = 0; at + sizeof word <= text.size(); at += sizeof word) {
        std::memcpy(&word, text.data() + at, sizeof word);
        // Subtracting borrows into the high bit of a byte below the one subtracted, and of no byte above it: a byte
        // below 0x20, or a 0x7F that the x-or made 0.
        const std::uint64_t deletes = word ^ (0x7F * ones);
        if ((((word - 0x20 * ones) & ~word) | ((deletes - ones) & ~deletes)) & highs)
            return true;
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), IsControl);
}

} // namespace

std::string QuotedValue(std::string value, bool& replaced) {
    replaced = std::ranges::find(value, '"') != value.end();
    std::ranges::replace(value, '"', '\'');
    return "\"" + value + "\"";
}

namespace {

// The lines are written to the file in pieces of about this size.
constexpr std::size_t BufferSize = 64 * 1024;

} // namespace

// Either file may hold a password (g_password, an rcon_password of the advanced lines).
CfgFileText::CfgFileText(const std::string& gameFolder, const std::string& relative, const LogSink& log)
    : fileName_(std::filesystem::path(relative).filename().string()), log_(log),
      file_(gameFolder, relative, PrivateFileMode) {
    buffer_.reserve(BufferSize);
}

void CfgFileText::Add(std::string_view subject, std::string_view text, bool quoteReplaced) {
    ++lines_;
    // A line without a subject of its own is named by its number in the file, when something of it is logged.
    const auto named = [&] {
        return subject.empty() ? fileName_ + " line " + std::to_string(lines_) : std::string(subject);
    };
    const std::size_t start = buffer_.size();
    bool lost = false;
    AppendWindows1252(buffer_, text, &lost);
    // Control characters are ASCII, the same bytes in both encodings, and each one is written as it is: the line
    // holds one when its text does.
    const bool controls = HasControl(text);
    if (controls)
        std::replace_if(buffer_.begin() + static_cast<std::ptrdiff_t>(start), buffer_.end(), IsControl, ' ');
    buffer_ += "\r\n";
    // The game would read a wrong value; the user must learn which setting to retype.
    if (quoteReplaced)
        log_(named() + " : double quote written as '");
    if (controls)
        log_(named() + " : control character written as a blank");
    if (lost)
        log_(named() + " : character written as ?");
    if (buffer_.size() >= BufferSize)
        Flush();
}

void CfgFileText::Flush() {
    file_.Write(buffer_);
    buffer_.clear();
}

void CfgFileText::Save() {
    Flush();
    file_.Commit();
}
