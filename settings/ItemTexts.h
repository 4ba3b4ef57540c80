#pragma once

#include <QStringList>

class QComboBox;
class QListWidget;

// The texts of the items of a list box, top to bottom.
QStringList ItemTexts(const QListWidget& list);
// The texts of the items of a drop-down list, in order.
QStringList ItemTexts(const QComboBox& combo);
