// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/JsonText.h"

#include "platform/Windows1252.h"

#include <cstdio>

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

} // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    json.reserve(text.size() + 2);
    while (!text.empty()) {
        const char c = text.front();
        char32_t character = 0;
        const std::size_t length = DecodeUtf8At(text, 0, character);
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
