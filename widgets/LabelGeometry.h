// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

// The decorated label's settings and the windowless rules of its shape and text. The value names keep the
// spelling of the label's stored layouts, irregular capitals included.
enum TShadowOrientation { sNorth, sSouth, sEast, sWEst, SNorthWest, sNorthEast, sSouthEast, sSouthWest };
enum TShadowStyle { stThin, stHeavy, stDissociated, stNone };
enum TDrawShape { dsRect, dsRoundRect, dsElipse };
enum TTextDirection { tVert, THorz };

// The lines joined by single line feeds, with none after the last; an empty list gives an empty text.
QString JoinLines(const QStringList& lines);

// The lines of a caption, split at a carriage return, a line feed or the pair; a final line break adds no
// empty line and an empty caption has none.
QStringList CaptionLines(const QString& caption);

// The text the label draws: for THorz its lines joined by line feeds; for tVert one row per character,
// where a carriage return and a line feed each become a row holding one blank.
QString DisplayText(const QString& caption, TTextDirection direction);

// Where the shape lies in a label of `width` × `height` drawn with a pen `penWidth` wide: right and bottom
// are exclusive, so that the pen's stroke, centred on the edge, runs along the label's border. `corner` is
// the width and height of a rounded corner's ellipse (0 unless the shape is dsRoundRect).
struct ShapeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int corner = 0;
    bool operator==(const ShapeRect&) const = default;
};
ShapeRect ShapeBounds(int width, int height, int penWidth, TDrawShape shape);

// The shadow is drawn at (L, T) from the start of the text's rectangle and the text at (L + R, T + B);
// neither ever lies left of or above the start.
struct ShadowOffsets {
    int L = 0;
    int T = 0;
    int R = 0;
    int B = 0;
    bool operator==(const ShadowOffsets&) const = default;
};
ShadowOffsets ShadowOffsetsOf(TShadowOrientation orientation, TShadowStyle style);

// How far a text whose measured rectangle ends at `measuredBottom` moves down in a label `height` high:
// to the bottom for Qt::AlignBottom, half way (truncated) for Qt::AlignVCenter, not at all for the top.
int LayoutShift(Qt::Alignment layout, int height, int measuredBottom);
