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
    // Encoded straight into each string: a long list costs one allocation a line.
    QStringEncoder encoder(QStringEncoder::Utf8);
    for (const QString& line : lines) {
        std::string& text = converted.emplace_back(static_cast<std::size_t>(encoder.requiredSpace(line.size())), '\0');
        text.resize(static_cast<std::size_t>(encoder.appendToBuffer(text.data(), line) - text.data()));
    }
    return converted;
}
