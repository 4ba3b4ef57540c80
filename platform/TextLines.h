// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The lines of a multi-line text such as a memo's: an empty text has none, and a final line break adds no
// empty line.
QStringList TextLines(const QString& text);

// The text whose TextLines are `lines`.
QString LinesText(const QStringList& lines);
