// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/LabelGeometry.h"

#include <QTextBoundaryFinder>

#include <algorithm>

QString JoinLines(const QStringList& lines) {
    return lines.join(u'\n');
}

QStringList CaptionLines(const QString& caption) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines << caption.mid(start, i - start);
        if (c == u'\r' && i + 1 < caption.size() && caption[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < caption.size())
        lines << caption.mid(start);
    return lines;
}

QString DisplayText(const QString& caption, TTextDirection direction) {
    if (direction == THorz)
        return JoinLines(CaptionLines(caption));
    // One row per character as the reader sees it, so that an accented letter or a pair of surrogates stays
    // whole; the grapheme rules keep a carriage return and line feed together, yet each is a row of its own.
    QStringList rows;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, caption);
    qsizetype start = 0;
    while (graphemes.toNextBoundary() != -1) {
        const QString character = caption.mid(start, graphemes.position() - start);
        start = graphemes.position();
        if (character == u"\r\n")
            rows << QStringLiteral(" ") << QStringLiteral(" ");
        else if (character == u"\r" || character == u"\n")
            rows << QStringLiteral(" ");
        else
            rows << character;
    }
    return JoinLines(rows);
}

ShapeRect ShapeBounds(int width, int height, int penWidth, TDrawShape shape) {
    const int half = penWidth / 2;
    int w = width - penWidth + 1;
    int h = height - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    return {half, half, w + half, h + half, shape == dsRoundRect ? std::min(w, h) / 4 : 0};
}

ShadowOffsets ShadowOffsetsOf(TShadowOrientation orientation, TShadowStyle style) {
    const int step = style == stThin ? 1 : style == stHeavy ? 2 : style == stDissociated ? 3 : 0;
    switch (orientation) {
    case sNorth:
        return {0, 0, 0, step};
    case sSouth:
        return {0, step, 0, -step};
    case sEast:
        return {step, 0, -step, 0};
    case sWEst:
        return {0, 0, step, 0};
    case SNorthWest:
        return {0, 0, step, step};
    case sNorthEast:
        return {step, 0, -step, step};
    case sSouthEast:
        return {step, step, -step, -step};
    case sSouthWest:
        return {0, step, step, -step};
    }
    return {};
}

int LayoutShift(Qt::Alignment layout, int height, int measuredBottom) {
    if (layout & Qt::AlignBottom)
        return height - measuredBottom;
    if (layout & Qt::AlignVCenter)
        return (height - measuredBottom) / 2;
    return 0;
}
