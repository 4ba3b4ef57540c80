#pragma once

#include <QColor>

// The maroon face of the headings, the messages panel and the about box.
inline QColor Maroon() {
    return {0x80, 0x00, 0x00};
}

// The red of text on maroon. Pure red on maroon reaches a contrast of only 2.7:1, too little for small bold
// text; this lighter red still reads as red and reaches 4.9:1.
inline QColor RedOnMaroon() {
    return {0xFF, 0x8C, 0x8C};
}
