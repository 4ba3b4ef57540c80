// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/StoredOptions.h"

#include "config/OptionTable.h"
#include "platform/Utf8Text.h"
#include "settings/StoredValues.h"

#include <QString>

namespace {

void Load(const TIniFile& ini, const Option& option, OptionValues& values) {
    const StoredKey at{FromUtf8(option.window), FromUtf8(option.name)};
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        if (const auto checked = StoredChecked(ini, at))
            values.ticked[name] = *checked;
        break;
    case OptionKind::SpinEdit:
        if (const auto number = StoredNumberWithin(ini, at, option.min, option.max))
            values.numbers[name] = *number;
        break;
    case OptionKind::RadioGroup:
        if (const auto index = StoredItemIndex(ini, at, static_cast<int>(option.items.size())))
            values.numbers[name] = *index;
        break;
    case OptionKind::Edit:
        if (const auto text = StoredText(ini, at))
            values.texts[name] = text->toStdString();
        break;
    case OptionKind::ComboBox:
        if (auto stored = StoredUtf8Items(ini, at)) {
            values.texts[name] =
                stored->chosen >= 0 ? stored->items[static_cast<std::size_t>(stored->chosen)] : std::string();
            values.lines[name] = std::move(stored->items);
            values.numbers[name] = stored->chosen;
        }
        break;
    // A memo's lines, one a key, are the lines of its text: none of them holds a line break.
    case OptionKind::Memo:
    case OptionKind::ListBox:
        if (auto lines = StoredUtf8Lines(ini, at))
            values.lines[name] = std::move(*lines);
        break;
    }
}

} // namespace

void LoadStoredOptions(const TIniFile& ini, OptionValues& values) {
    for (const Option& option : Options())
        if (option.kept)
            Load(ini, option, values);
}
