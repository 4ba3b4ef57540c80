// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextLines.h"

QStringList TextLines(const QString& text) {
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

QString LinesText(const QStringList& lines) {
    // A last line that is empty needs the line break that ends it, or it would not count as a line.
    const bool endsEmpty = !lines.isEmpty() && lines.back().isEmpty();
    return lines.join(u'\n') + (endsEmpty ? QStringLiteral("\n") : QString());
}
