// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QComboBox;
class QListWidget;

// The texts of the items of a list box, top to bottom.
QStringList ItemTexts(const QListWidget& list);
// The texts of the items of a drop-down list, in order.
QStringList ItemTexts(const QComboBox& combo);

// The row of the list box's selected item; -1 when no item is selected, even when one still has the focus.
int SelectedRow(const QListWidget& list);
