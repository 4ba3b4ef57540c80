// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/StoredOptions.h"

#include "config/FogValues.h"

#include "config/OptionTable.h"
#include "platform/Utf8Text.h"
#include "settings/IniFile.h"
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
    case OptionKind::Memo:
        // A memo's lines, one a key, are the lines of its text: none of them holds a line break.
        if (auto lines = StoredUtf8Lines(ini, at))
            values.lines[name] = std::move(*lines);
        break;
    case OptionKind::ListBox:
        if (auto lines = StoredUtf8Lines(ini, at)) {
            values.numbers[name] = StoredListIndex(ini, at, lines->size());
            values.lines[name] = std::move(*lines);
        }
        break;
    }
}

void SaveLines(TIniFile& ini, const StoredKey& at, const LineList& lines, int itemIndex) {
    std::vector<std::pair<QString, QString>> pairs;
    pairs.reserve(lines.size() + 1);
    for (std::size_t i = 0; i < lines.size(); ++i)
        pairs.emplace_back(QStringLiteral("L%1").arg(i), FromUtf8(lines[i]));
    pairs.emplace_back(ItemIndexKey, QString::number(itemIndex));
    // The section is rewritten whole, so a shorter list leaves no stale keys behind.
    ini.ReplaceSection(at.ListSection(), pairs);
}

// The chosen item or row of a list; none when `values` holds no choice for it.
int Chosen(const OptionValues& values, const std::string& name) {
    const auto found = values.numbers.find(name);
    return found != values.numbers.end() ? found->second : -1;
}

void Save(TIniFile& ini, const Option& option, const OptionValues& values) {
    const StoredKey at{FromUtf8(option.window), FromUtf8(option.name)};
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        if (const auto ticked = values.ticked.find(name); ticked != values.ticked.end())
            ini.WriteBool(at.section, at.key, ticked->second);
        break;
    case OptionKind::SpinEdit:
    case OptionKind::RadioGroup:
        if (const auto number = values.numbers.find(name); number != values.numbers.end())
            ini.WriteInteger(at.section, at.key, number->second);
        break;
    case OptionKind::Edit:
        if (const auto text = values.texts.find(name); text != values.texts.end()) {
            // The density is kept as the fog window shows it, with the user's decimal separator, whichever one
            // the settings it came from held.
            const QString value = FromUtf8(text->second);
            ini.WriteString(at.section, at.key,
                            option.cfg == CfgForm::Density ? ShownDensity(value, QLocale()) : value);
        }
        break;
    case OptionKind::ComboBox:
    case OptionKind::ListBox:
        if (const auto lines = values.lines.find(name); lines != values.lines.end())
            SaveLines(ini, at, lines->second, Chosen(values, name));
        break;
    case OptionKind::Memo:
        if (const auto lines = values.lines.find(name); lines != values.lines.end())
            SaveLines(ini, at, lines->second, 0);
        break;
    }
}

} // namespace

void LoadStoredOptions(const TIniFile& ini, OptionValues& values) {
    for (const Option& option : Options())
        if (option.kept)
            Load(ini, option, values);
}

void SaveStoredOptions(TIniFile& ini, const OptionValues& values) {
    for (const Option& option : Options())
        if (option.kept)
            Save(ini, option, values);
}
