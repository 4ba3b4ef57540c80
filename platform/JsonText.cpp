// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/JsonText.h"

#include <cstdio>

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// The length of the UTF-8 character at the start of `text`; 0 when the bytes there are not one.
std::size_t CharacterLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned minimum = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, minimum = 0x10000;
    else
        return 0;
    if (text.size() < length)
        return 0;
    unsigned code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are no characters.
    if (code < minimum || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    json.reserve(text.size() + 2);
    while (!text.empty()) {
        const char c = text.front();
        const std::size_t length = CharacterLength(text);
        if (length == 0) {
            json += ReplacementCharacter;
            text.remove_prefix(1);
            continue;
        }
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\b':
            json += "\\b";
            break;
        case '\f':
            json += "\\f";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                json += escaped;
            } else {
                json.append(text.substr(0, length));
            }
        }
        text.remove_prefix(length);
    }
    return json + "\"";
}
