// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/DialogFont.h"

#include <QStringList>

QFont DialogFont() {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                 QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                 QStringLiteral("Nimbus Sans")});
    font.setPointSize(8);
    return font;
}
