// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AsciiCase.h"

#include <algorithm>

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameLetterAscii(char a, char b) {
    return UpperAscii(a) == UpperAscii(b);
}

} // namespace

std::string UpperCaseAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), UpperAscii);
    return text;
}

std::string LowerCaseAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
    return text;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameLetterAscii);
}

bool StartsWithAscii(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}
