// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractSpinBox>

// A whole-number field with arrows. Any text may be typed; a text that is not a whole number reads as the
// minimum, and a value outside the range is clamped only when the focus leaves the field.
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    TSpinEdit(int minValue, int maxValue, int value, QWidget* parent = nullptr);

    // The number shown; the minimum when the text is not a whole number. Not clamped while typing.
    int Value() const;
    // Shows `value` clamped into the range.
    void SetValue(int value);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Clamped(int value) const;

    int min_;
    int max_;
};
