// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QToolButton;

// Two arrow buttons that move a position between a minimum and a maximum, without wrapping around.
// The upper arrow adds the increment, the lower arrow subtracts it.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    enum class Button { Up, Down };

    TUpDown(int minimum, int maximum, int increment, QWidget* parent = nullptr);

    int Position() const { return position_; }
    void SetPosition(int position);
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMax(int maximum);
    int Increment() const { return increment_; }

    // What a click on an arrow does: moves the position, then reports the click.
    void Click(Button button);

Q_SIGNALS:
    void Clicked(TUpDown::Button button);

private:
    int min_;
    int max_;
    int increment_;
    int position_;
};
