// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TerminalText.h"

#include "platform/Windows1252.h"

#include <cstdio>

namespace {

// "\xNN" for a byte, "\uNNNN" for a character beyond one byte.
std::string Escape(char32_t c) {
    char text[8];
    std::snprintf(text, sizeof text, c < 0x100 ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(c));
    return text;
}

} // namespace

bool IsUnsafeForTerminal(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string TerminalSafe(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8At(text, pos, c);
        if (length == 0)
            safe += Escape(static_cast<unsigned char>(text[pos]));
        else if (IsUnsafeForTerminal(c))
            safe += Escape(c);
        else
            safe.append(text, pos, length);
        pos += length == 0 ? 1 : length;
    }
    return safe;
}
