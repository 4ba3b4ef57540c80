// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class TIniFile;

// How the values of a settings file read back, kind by kind; the windows and the windowless commands load them
// alike. Each gives nullopt when the file holds no value for the control, which then keeps its own.

// One key of the window's section.
struct StoredKey {
    QString section; // the window's name
    QString key;     // the control's name
    // The section of a list-like control: the window's name and the control's name together.
    QString ListSection() const { return section + key; }
};

// An edit's text.
std::optional<QString> StoredText(const TIniFile& ini, const StoredKey& at);
// A check mark: a value that is not a number counts as checked.
std::optional<bool> StoredChecked(const TIniFile& ini, const StoredKey& at);
// A whole number: a value that is not a number loads as 0.
std::optional<int> StoredNumber(const TIniFile& ini, const StoredKey& at);
// A whole number within [min, max]: one outside is brought to the nearer end.
std::optional<int> StoredNumberWithin(const TIniFile& ini, const StoredKey& at, int min, int max);
// The index of the chosen one of `count` items: -1, none chosen, for an index that names no item.
std::optional<int> StoredItemIndex(const TIniFile& ini, const StoredKey& at, int count);
// The chosen row of a list of `count` rows: the saved ItemIndex when it names one, else -1.
int StoredListIndex(const TIniFile& ini, const StoredKey& at, std::size_t count);
// The lines L0, L1, ... of the list section, up to the first missing key.
std::optional<QStringList> StoredLines(const TIniFile& ini, const StoredKey& at);
// The same lines as UTF-8.
std::optional<LineList> StoredUtf8Lines(const TIniFile& ini, const StoredKey& at);

// The items of a drop-down list or list box and the one chosen: the saved ItemIndex when it fits the items, as
// -1 for any index below 0; -1 when it does not fit.
struct StoredChoice {
    QStringList items;
    int chosen;
};
std::optional<StoredChoice> StoredItems(const TIniFile& ini, const StoredKey& at);
// The same, the items as UTF-8.
struct StoredUtf8Choice {
    LineList items;
    int chosen;
};
std::optional<StoredUtf8Choice> StoredUtf8Items(const TIniFile& ini, const StoredKey& at);

// The key of the chosen item in a list section.
inline const QString ItemIndexKey = QStringLiteral("ItemIndex");
