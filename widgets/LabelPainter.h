// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/LabelGeometry.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

class QPainter;

// The styles of the outline's pen. psInsideFrame keeps a wide pen inside the shape's rectangle; the dashed
// styles dash a pen one pixel wide and draw wider pens solid, as the platform's pens do.
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

struct TLabelPen {
    QColor color = Qt::black;
    int width = 1;
    TPenStyle style = psSolid;
    bool operator==(const TLabelPen&) const = default;
};

struct TShadowLook {
    QColor color = Qt::white;
    TShadowOrientation orientation = sSouthEast;
    TShadowStyle style = stThin;
    bool operator==(const TShadowLook&) const = default;
};

// Everything a decorated label draws, in plain values.
struct LabelLook {
    QSize size;
    QString caption;
    QFont font;
    QColor fontColor = Qt::black;
    QBrush filling;
    TLabelPen outLine;
    TDrawShape shape = dsRect;
    TShadowLook shadow;
    TTextDirection textDirection = THorz;
    Qt::Alignment alignment = Qt::AlignLeft; // horizontal
    Qt::Alignment layout = Qt::AlignTop;     // vertical
    bool wordWrap = false;
    bool showAccelChar = true;
    bool enabled = true;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    // The raised text of a disabled label: the light copy one pixel down and right, the dark one on top.
    QColor disabledLight = Qt::white;
    QColor disabledDark = Qt::gray;
};

// Draws the shape over the whole label: filled with the filling, outlined with the pen.
void DrawShape(QPainter& painter, const LabelLook& look);

// Draws the label's text (or, when `measuring`, only measures it) on `rect` with Qt text flags: the shadow
// first, then the text. The rectangle stays moved by the text's own offset; a measured rectangle also takes
// the height of the text.
void DrawLabelText(QPainter& painter, const LabelLook& look, QRect& rect, int flags, bool measuring);

// Paints the whole label: the shape, then the text placed by its alignment and layout.
void PaintLabel(QPainter& painter, const LabelLook& look);
