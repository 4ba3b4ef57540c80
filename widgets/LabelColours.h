// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// The maroon face of the headings, the messages panel and the about box.
inline QColor Maroon() {
    return {0x80, 0x00, 0x00};
}

// The red of the text drawn on maroon: bold, and on the headings with a black shadow that sets it off.
inline QColor RedOnMaroon() {
    return {0xFF, 0x00, 0x00};
}
