// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/StoredValues.h"

#include "settings/IniFile.h"

#include <algorithm>

std::optional<QString> StoredText(const TIniFile& ini, const StoredKey& at) {
    if (!ini.ValueExists(at.section, at.key))
        return std::nullopt;
    return ini.ReadString(at.section, at.key, QString());
}

std::optional<bool> StoredChecked(const TIniFile& ini, const StoredKey& at) {
    if (!ini.ValueExists(at.section, at.key))
        return std::nullopt;
    return ini.ReadInteger(at.section, at.key, 1) != 0;
}

std::optional<int> StoredNumber(const TIniFile& ini, const StoredKey& at) {
    if (!ini.ValueExists(at.section, at.key))
        return std::nullopt;
    return ini.ReadInteger(at.section, at.key, 0);
}

std::optional<QStringList> StoredLines(const TIniFile& ini, const StoredKey& at) {
    return ini.ReadNumberedValues(at.ListSection(), QStringLiteral("L"));
}

std::optional<std::vector<std::string>> StoredUtf8Lines(const TIniFile& ini, const StoredKey& at) {
    return ini.ReadNumberedUtf8Values(at.ListSection(), QStringLiteral("L"));
}

std::optional<StoredChoice> StoredItems(const TIniFile& ini, const StoredKey& at) {
    auto items = StoredLines(ini, at);
    if (!items)
        return std::nullopt;
    const int index = ini.ReadInteger(at.ListSection(), ItemIndexKey, 0);
    const int chosen = index <= items->size() - 1 ? std::max(index, -1) : -1;
    return StoredChoice{std::move(*items), chosen};
}
