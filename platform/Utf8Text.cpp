// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Utf8Text.h"

#include <QStringEncoder>

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {

template <class Texts> QStringList ConvertedFromUtf8(const Texts& texts) {
    QStringList converted;
    for (const std::string_view text : texts)
        converted << FromUtf8(text);
    return converted;
}

} // namespace

QStringList FromUtf8(const std::vector<std::string_view>& texts) {
    return ConvertedFromUtf8(texts);
}

QStringList FromUtf8(const std::vector<std::string>& texts) {
    return ConvertedFromUtf8(texts);
}

QStringList FromUtf8(const LineList& texts) {
    return ConvertedFromUtf8(texts);
}

std::vector<std::string> Utf8Lines(const QStringList& lines) {
    std::vector<std::string> converted;
    converted.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines)
        converted.push_back(ToUtf8(line));
    return converted;
}

std::string ToUtf8(QStringView text) {
    // Encoded straight into a string of the text's own size (exact but for surrogate pairs, which take 4 bytes of
    // the 6 counted): a long list costs one allocation a line, and no more memory than its text.
    std::size_t size = 0;
    for (const QChar c : text)
        size += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
    QStringEncoder encoder(QStringEncoder::Utf8);
    std::string converted(size, '\0');
    converted.resize(static_cast<std::size_t>(encoder.appendToBuffer(converted.data(), text) - converted.data()));
    return converted;
}
