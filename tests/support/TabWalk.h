// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cstddef>

// Gives `first` the focus as Tab would, then presses Tab until the focus comes back to it (or leaves the
// window, or `limit` stops were seen), calling `visit` on each stop while it has the focus.
template <class Visit> void TabWalk(QWidget* first, Visit visit, std::size_t limit = 200) {
    first->setFocus(Qt::TabFocusReason);
    QWidget* at = first;
    for (std::size_t stops = 0; at && stops < limit; ++stops) {
        visit(at);
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        if (at == first)
            break;
    }
}
