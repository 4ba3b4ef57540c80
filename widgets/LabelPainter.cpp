// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/LabelPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>

namespace {

Qt::PenStyle DashOf(TPenStyle style) {
    switch (style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

} // namespace

void DrawShape(QPainter& painter, const LabelLook& look) {
    const TLabelPen& pen = look.outLine;
    const ShapeRect shape = ShapeBounds(look.size.width(), look.size.height(), pen.width, look.shape);
    // A pen of width 0 still draws one pixel.
    const int stroke = std::max(pen.width, 1);
    // The band the pen covers: centred on the shape's edge (its right and bottom edges are the last pixels
    // inside), or inside the shape for an inside-frame pen.
    QRect outer(QPoint(shape.left - stroke / 2, shape.top - stroke / 2),
                QPoint(shape.right - 1 - stroke / 2 + stroke - 1, shape.bottom - 1 - stroke / 2 + stroke - 1));
    if (pen.style == psInsideFrame)
        outer = QRect(QPoint(shape.left, shape.top), QPoint(shape.right - 1, shape.bottom - 1));

    const auto outline = [&](const QRectF& bounds) {
        QPainterPath path;
        if (look.shape == dsRoundRect)
            path.addRoundedRect(bounds, shape.corner / 2.0, shape.corner / 2.0);
        else if (look.shape == dsElipse)
            path.addEllipse(bounds);
        else
            path.addRect(bounds);
        return path;
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (pen.style == psClear) {
        painter.fillPath(outline(QRectF(outer)), look.filling);
        painter.restore();
        return;
    }
    // The pen's centre line, half a stroke inside the band's outer edge.
    const qreal inset = stroke / 2.0;
    const QPainterPath centre = outline(QRectF(outer).adjusted(inset, inset, -inset, -inset));
    painter.fillPath(centre, look.filling);
    QPainterPathStroker stroker;
    stroker.setWidth(stroke);
    stroker.setJoinStyle(Qt::MiterJoin);
    stroker.setCapStyle(Qt::FlatCap);
    if (stroke == 1)
        stroker.setDashPattern(DashOf(pen.style));
    painter.fillPath(stroker.createStroke(centre), pen.color);
    painter.restore();
}

void DrawLabelText(QPainter& painter, const LabelLook& look, QRect& rect, int flags, bool measuring) {
    // The platform's measure gives an empty text, and a lone accelerator mark, the height of one line.
    const QString text = DisplayText(look.caption, look.textDirection);
    if (look.showAccelChar)
        flags |= Qt::TextShowMnemonic;
    painter.setLayoutDirection(look.direction);
    painter.setFont(look.font);

    const auto draw = [&](const QColor& colour) {
        if (measuring) {
            rect.setHeight(QFontMetrics(look.font, painter.device()).boundingRect(rect, flags, text).height());
            return;
        }
        painter.setPen(colour);
        painter.drawText(rect, flags, text);
    };
    if (!look.enabled) {
        rect.translate(1, 1);
        draw(look.disabledLight);
        rect.translate(-1, -1);
        draw(look.disabledDark);
        return;
    }
    const ShadowOffsets offsets = ShadowOffsetsOf(look.shadow.orientation, look.shadow.style);
    rect.translate(offsets.L, offsets.T);
    draw(look.shadow.color);
    rect.translate(offsets.R, offsets.B);
    draw(look.fontColor);
}

void PaintLabel(QPainter& painter, const LabelLook& look) {
    DrawShape(painter, look);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::NoPen);
    QRect rect(QPoint(0, 0), look.size);
    int flags = Qt::TextExpandTabs | static_cast<int>(look.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    if (look.wordWrap)
        flags |= Qt::TextWordWrap;
    if (!(look.layout & Qt::AlignTop)) {
        QRect measured = rect;
        DrawLabelText(painter, look, measured, flags, true);
        rect.translate(0, LayoutShift(look.layout, look.size.height(), measured.top() + measured.height()));
    }
    DrawLabelText(painter, look, rect, flags, false);
}
