// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ItemTexts.h"

#include <QComboBox>
#include <QListWidget>

QStringList ItemTexts(const QListWidget& list) {
    QStringList items;
    for (int row = 0; row < list.count(); ++row)
        items << list.item(row)->text();
    return items;
}

QStringList ItemTexts(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

int SelectedRow(const QListWidget& list) {
    const QListWidgetItem* current = list.currentItem();
    return current != nullptr && current->isSelected() ? list.row(current) : -1;
}
