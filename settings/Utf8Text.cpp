// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Utf8Text.h"

#include <QStringEncoder>

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList FromUtf8(const std::vector<std::string_view>& texts) {
    QStringList converted;
    for (const std::string_view text : texts)
        converted << FromUtf8(text);
    return converted;
}

QStringList FromUtf8(const std::vector<std::string>& texts) {
    QStringList converted;
    for (const std::string& text : texts)
        converted << FromUtf8(text);
    return converted;
}

std::vector<std::string> Utf8Lines(const QStringList& lines) {
    std::vector<std::string> converted;
    converted.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines)
        converted.push_back(ToUtf8(line));
    return converted;
}

std::string ToUtf8(QStringView text) {
    // Encoded straight into the string: a long list costs one allocation a line.
    QStringEncoder encoder(QStringEncoder::Utf8);
    std::string converted(static_cast<std::size_t>(encoder.requiredSpace(text.size())), '\0');
    converted.resize(static_cast<std::size_t>(encoder.appendToBuffer(converted.data(), text) - converted.data()));
    return converted;
}
