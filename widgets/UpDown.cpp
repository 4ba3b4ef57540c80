// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TUpDown::TUpDown(int minimum, int maximum, int increment, QWidget* parent)
    : QWidget(parent), min_(minimum), max_(maximum), increment_(increment), position_(minimum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setFixedWidth(18);
    for (const auto button : {Button::Up, Button::Down}) {
        auto* arrow = new QToolButton(this);
        arrow->setArrowType(button == Button::Up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        connect(arrow, &QToolButton::clicked, this, [this, button] { Click(button); });
        layout->addWidget(arrow);
    }
}

void TUpDown::SetPosition(int position) {
    position_ = std::clamp(position, min_, std::max(min_, max_));
}

void TUpDown::SetMax(int maximum) {
    max_ = maximum;
    SetPosition(position_);
}

void TUpDown::Click(Button button) {
    SetPosition(position_ + (button == Button::Up ? increment_ : -increment_));
    Q_EMIT Clicked(button);
}
