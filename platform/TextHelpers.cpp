// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextHelpers.h"

#include <QString>

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::string TextBeforeFirst(std::string_view text, std::string_view delimiters) {
    const auto at = text.find_first_of(delimiters);
    return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

std::string TextAfterFirst(std::string_view text, std::string_view delimiters) {
    const auto at = text.find_first_of(delimiters);
    return std::string(at == std::string_view::npos ? text : text.substr(at + 1));
}

std::string TextBeforeLast(std::string_view text, std::string_view delimiters) {
    const auto at = text.find_last_of(delimiters);
    return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

std::string TextAfterLast(std::string_view text, std::string_view delimiters) {
    const auto at = text.find_last_of(delimiters);
    return std::string(at == std::string_view::npos ? text : text.substr(at + 1));
}

std::string Trim(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool SameText(std::string_view a, std::string_view b) {
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())), Qt::CaseInsensitive) == 0;
}
