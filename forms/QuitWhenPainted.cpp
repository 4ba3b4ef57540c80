// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/QuitWhenPainted.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

TQuitWhenPainted::TQuitWhenPainted(QWidget& window) : QObject(&window) {
    window.installEventFilter(this);
}

bool TQuitWhenPainted::eventFilter(QObject* watched, QEvent* event) {
    // The window paints its children in the same pass, after itself: the loop ends once the pass is done.
    // exit, not quit: quit would close the windows first, and closing saves the settings.
    if (event->type() == QEvent::Paint) {
        QCoreApplication::exit(0);
        watched->removeEventFilter(this);
    }
    return false;
}
