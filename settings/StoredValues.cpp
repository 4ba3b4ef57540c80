// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/StoredValues.h"

#include "settings/IniFile.h"

#include <algorithm>

namespace {

int ChosenIndex(int index, qsizetype count) {
    return index >= 0 && index < count ? index : -1;
}

} // namespace

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

std::optional<int> StoredNumberWithin(const TIniFile& ini, const StoredKey& at, int min, int max) {
    const auto number = StoredNumber(ini, at);
    return number ? std::optional(std::clamp(*number, min, std::max(min, max))) : std::nullopt;
}

std::optional<int> StoredItemIndex(const TIniFile& ini, const StoredKey& at, int count) {
    const auto number = StoredNumber(ini, at);
    return number ? std::optional(ChosenIndex(*number, count)) : std::nullopt;
}

std::optional<QStringList> StoredLines(const TIniFile& ini, const StoredKey& at) {
    return ini.ReadNumberedValues(at.ListSection(), QStringLiteral("L"));
}

std::optional<LineList> StoredUtf8Lines(const TIniFile& ini, const StoredKey& at) {
    return ini.ReadNumberedUtf8Values(at.ListSection(), QStringLiteral("L"));
}

int StoredListIndex(const TIniFile& ini, const StoredKey& at, std::size_t count) {
    return ChosenIndex(ini.ReadInteger(at.ListSection(), ItemIndexKey, 0), static_cast<qsizetype>(count));
}

std::optional<StoredChoice> StoredItems(const TIniFile& ini, const StoredKey& at) {
    auto items = StoredLines(ini, at);
    if (!items)
        return std::nullopt;
    const int chosen = StoredListIndex(ini, at, static_cast<std::size_t>(items->size()));
    return StoredChoice{std::move(*items), chosen};
}

std::optional<StoredUtf8Choice> StoredUtf8Items(const TIniFile& ini, const StoredKey& at) {
    auto items = StoredUtf8Lines(ini, at);
    if (!items)
        return std::nullopt;
    const int chosen = StoredListIndex(ini, at, items->size());
    return StoredUtf8Choice{std::move(*items), chosen};
}
