// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/LabelExtra.h"

#include <QMouseEvent>
#include <QPainter>

void TShadow::SetShadowColor(const QColor& color) {
    look_.color = color;
    Changed();
}

void TShadow::SetShadowOrientation(TShadowOrientation orientation) {
    look_.orientation = orientation;
    Changed();
}

void TShadow::SetShadowStyle(TShadowStyle style) {
    look_.style = style;
    Changed();
}

void TShadow::Changed() {
    if (OnChange)
        OnChange();
}

TLabelExtra::TLabelExtra(QWidget* parent) : QLabel(parent) {
    // The face of the window behind and the colour of window frames.
    filling_ = QBrush(palette().color(QPalette::Window), Qt::SolidPattern);
    outLine_.color = palette().color(QPalette::WindowText);
    fontShadow_.OnChange = [this] { ShadowChanged(); };
    setAutoFillBackground(false);
}

void TLabelExtra::SetAutoCenter(bool autoCenter) {
    autoCenter_ = autoCenter;
    update();
}

QStringList TLabelExtra::Lines() const {
    return CaptionLines(text());
}

void TLabelExtra::SetLines(const QStringList& lines) {
    setText(JoinLines(lines));
}

void TLabelExtra::SetFilling(const QBrush& filling) {
    filling_ = filling;
    StyleChanged();
}

void TLabelExtra::SetOutLine(const TLabelPen& outLine) {
    outLine_ = outLine;
    StyleChanged();
}

void TLabelExtra::SetShape(TDrawShape shape) {
    if (shape == shape_)
        return;
    shape_ = shape;
    update();
}

void TLabelExtra::SetFontShadow(const TShadow& shadow) {
    fontShadow_.SetShadowColor(shadow.ShadowColor());
    fontShadow_.SetShadowOrientation(shadow.ShadowOrientation());
    fontShadow_.SetShadowStyle(shadow.ShadowStyle());
}

void TLabelExtra::SetTextDirection(TTextDirection direction) {
    textDirection_ = direction;
    update();
}

void TLabelExtra::SetAlignment(Qt::Alignment horizontal) {
    const Qt::Alignment combined = (horizontal & Qt::AlignHorizontal_Mask) | Layout();
    if (combined != alignment())
        setAlignment(combined);
}

void TLabelExtra::SetLayout(Qt::Alignment vertical) {
    const Qt::Alignment combined = Alignment() | (vertical & Qt::AlignVertical_Mask);
    if (combined != alignment())
        setAlignment(combined);
}

void TLabelExtra::SetShowAccelChar(bool show) {
    showAccelChar_ = show;
    update();
}

QColor TLabelExtra::FontColor() const {
    return palette().color(QPalette::WindowText);
}

void TLabelExtra::SetFontColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
}

LabelLook TLabelExtra::Look() const {
    LabelLook look;
    look.size = size();
    look.caption = text();
    look.font = font();
    look.fontColor = FontColor();
    look.filling = filling_;
    look.outLine = outLine_;
    look.shape = shape_;
    look.shadow = fontShadow_.Look();
    look.textDirection = textDirection_;
    look.alignment = Alignment();
    look.layout = Layout();
    look.wordWrap = wordWrap();
    look.showAccelChar = showAccelChar_;
    look.enabled = isEnabled();
    look.direction = layoutDirection();
    look.disabledLight = palette().color(QPalette::Light);
    look.disabledDark = palette().color(QPalette::Dark);
    return look;
}

void TLabelExtra::StyleChanged() {
    update();
}

void TLabelExtra::ShadowChanged() {
    update();
}

void TLabelExtra::paintEvent(QPaintEvent*) {
    // Ordinary property changes: they stay after painting, and a change asks for one more paint.
    if (autoCenter_) {
        SetLayout(Qt::AlignVCenter);
        SetAlignment(Qt::AlignHCenter);
    }
    QPainter painter(this);
    PaintLabel(painter, Look());
}

void TLabelExtra::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    if (pressed_)
        event->accept(); // the release that makes the click comes back here
    else
        QLabel::mousePressEvent(event);
}

void TLabelExtra::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Q_EMIT Click();
}
