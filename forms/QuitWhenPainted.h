// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// Ends the event loop once `window` has painted itself for the first time, without closing any window (so
// nothing is saved). Start-up measurements use it to stop a program at its first shown window.
class TQuitWhenPainted : public QObject {
    Q_OBJECT
public:
    explicit TQuitWhenPainted(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
