// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SpinEdit.h"

#include <QLineEdit>

#include <algorithm>

TSpinEdit::TSpinEdit(int minValue, int maxValue, int value, QWidget* parent)
    : QAbstractSpinBox(parent), min_(minValue), max_(maxValue) {
    SetValue(value);
}

int TSpinEdit::Value() const {
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    return ok ? value : min_;
}

void TSpinEdit::SetValue(int value) {
    lineEdit()->setText(QString::number(Clamped(value)));
}

void TSpinEdit::stepBy(int steps) {
    SetValue(Value() + steps);
}

QValidator::State TSpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (Value() < max_)
        enabled |= StepUpEnabled;
    if (Value() > min_)
        enabled |= StepDownEnabled;
    return enabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    bool ok = false;
    const int typed = text().trimmed().toInt(&ok);
    if (ok && typed != Clamped(typed))
        SetValue(typed);
    QAbstractSpinBox::focusOutEvent(event);
}

int TSpinEdit::Clamped(int value) const {
    return std::clamp(value, min_, std::max(min_, max_));
}
