// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/StoredOptions.h"

#include "config/OptionTable.h"
#include "platform/TextLines.h"
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
        if (const auto stored = StoredItems(ini, at)) {
            values.lines[name] = Utf8Lines(stored->items);
            values.numbers[name] = stored->chosen;
            values.texts[name] = stored->chosen >= 0 ? stored->items[stored->chosen].toStdString() : std::string();
        }
        break;
    case OptionKind::Memo:
        // A memo shows the lines as one text, which reads back without a last empty line.
        if (const auto lines = StoredLines(ini, at))
            values.lines[name] = Utf8Lines(TextLines(LinesText(*lines)));
        break;
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
