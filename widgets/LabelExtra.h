// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/LabelPainter.h"

#include <QLabel>

#include <functional>

// The shadow of a decorated label's text: its colour, the direction in which it lies from the text and its
// distance. Every setter tells OnChange, also when the value stays the same.
class TShadow {
public:
    std::function<void()> OnChange;

    const QColor& ShadowColor() const { return look_.color; }
    void SetShadowColor(const QColor& color);
    TShadowOrientation ShadowOrientation() const { return look_.orientation; }
    void SetShadowOrientation(TShadowOrientation orientation);
    TShadowStyle ShadowStyle() const { return look_.style; }
    void SetShadowStyle(TShadowStyle style);

    const TShadowLook& Look() const { return look_; }

private:
    void Changed();

    TShadowLook look_;
};

// A transparent label that draws a shape (rectangle, rounded rectangle or ellipse) over its whole area,
// filled and outlined, then its text with a shadow; it can force its text to the centre and can write it
// one character per row. The caption is also kept as a list of lines.
class TLabelExtra : public QLabel {
    Q_OBJECT
public:
    explicit TLabelExtra(QWidget* parent = nullptr);

    // Forces centred layout and alignment at the next paint, for good.
    bool AutoCenter() const { return autoCenter_; }
    void SetAutoCenter(bool autoCenter);
    // The caption as lines; setting them sets the caption to the lines joined by line feeds.
    QStringList Lines() const;
    void SetLines(const QStringList& lines);
    const QBrush& Filling() const { return filling_; }
    void SetFilling(const QBrush& filling);
    const TLabelPen& OutLine() const { return outLine_; }
    void SetOutLine(const TLabelPen& outLine);
    TDrawShape Shape() const { return shape_; }
    void SetShape(TDrawShape shape);
    TShadow& FontShadow() { return fontShadow_; }
    const TShadow& FontShadow() const { return fontShadow_; }
    // Copies the colour, orientation and style of `shadow`.
    void SetFontShadow(const TShadow& shadow);
    TTextDirection TextDirection() const { return textDirection_; }
    void SetTextDirection(TTextDirection direction);
    // The horizontal alignment of the text: Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void SetAlignment(Qt::Alignment horizontal);
    // The vertical layout of the text: Qt::AlignTop, Qt::AlignVCenter or Qt::AlignBottom.
    Qt::Alignment Layout() const { return alignment() & Qt::AlignVertical_Mask; }
    void SetLayout(Qt::Alignment vertical);
    // Whether a "&" marks the next character as the accelerator (underlined) or is shown as it is.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    // The text's colour.
    QColor FontColor() const;
    void SetFontColor(const QColor& color);

    // What the label draws, as it stands.
    LabelLook Look() const;

    // Repaint when the filling or the outline changed.
    void StyleChanged();
    // Repaint when the shadow changed.
    void ShadowChanged();

Q_SIGNALS:
    // The label was clicked with the left mouse button.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool autoCenter_ = true;
    QBrush filling_;
    TLabelPen outLine_;
    TDrawShape shape_ = dsRect;
    TShadow fontShadow_;
    TTextDirection textDirection_ = THorz;
    bool showAccelChar_ = true;
    bool pressed_ = false;
};
