// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionValues.h"

#include "config/OptionTable.h"

#include <stdexcept>

namespace {

// The value of `name` in `map`, as mutable as the map.
template <class Map> auto& Lookup(Map& map, std::string_view name) {
    const auto found = map.find(name);
    if (found == map.end())
        throw std::logic_error("no value for the option " + std::string(name));
    return found->second;
}

} // namespace

bool OptionValues::Ticked(std::string_view name) const {
    return Lookup(ticked, name);
}

int OptionValues::Number(std::string_view name) const {
    return Lookup(numbers, name);
}

const std::string& OptionValues::Text(std::string_view name) const {
    return Lookup(texts, name);
}

const LineList& OptionValues::Lines(std::string_view name) const {
    return Lookup(lines, name);
}

const std::string& OptionValues::GameFolder() const {
    return Text(OptionName::GameFolder);
}

void OptionValues::SetGameFolder(std::string folder) {
    texts.insert_or_assign(std::string(OptionName::GameFolder), std::move(folder));
}

int OptionValues::Dedicated() const {
    return Number(OptionName::Dedicated);
}

const LineList& OptionValues::AdvancedLines() const {
    return Lines(OptionName::AdvancedLines);
}

const LineList& OptionValues::Rotation() const {
    return Lines(OptionName::Rotation);
}

LineList& OptionValues::Rotation() {
    return Lookup(lines, OptionName::Rotation);
}

const std::string& OptionValues::Gametype() const {
    return Text(OptionName::Gametype);
}

void CopyOptionValue(const OptionValues& from, const Option& option, OptionValues& to) {
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        to.ticked.insert_or_assign(name, from.Ticked(name));
        break;
    case OptionKind::SpinEdit:
    case OptionKind::RadioGroup:
        to.numbers.insert_or_assign(name, from.Number(name));
        break;
    case OptionKind::Edit:
        to.texts.insert_or_assign(name, from.Text(name));
        break;
    case OptionKind::ComboBox:
        to.numbers.insert_or_assign(name, from.Number(name));
        to.lines.insert_or_assign(name, from.Lines(name));
        to.texts.insert_or_assign(name, from.Text(name));
        break;
    case OptionKind::ListBox:
        to.numbers.insert_or_assign(name, from.Number(name));
        to.lines.insert_or_assign(name, from.Lines(name));
        break;
    case OptionKind::Memo:
        to.lines.insert_or_assign(name, from.Lines(name));
        break;
    }
}

OptionValues FirstOptionValues() {
    OptionValues values;
    for (const Option& option : Options()) {
        const std::string name(option.name);
        switch (option.kind) {
        case OptionKind::CheckBox:
            values.ticked[name] = option.first != 0;
            break;
        case OptionKind::SpinEdit:
        case OptionKind::RadioGroup:
            values.numbers[name] = option.first;
            break;
        case OptionKind::Edit:
            values.texts[name] = std::string(option.firstText);
            break;
        case OptionKind::ComboBox:
            values.numbers[name] = option.first;
            values.lines[name] = std::vector<std::string>(option.items.begin(), option.items.end());
            values.texts[name] =
                option.first >= 0 ? std::string(option.items.at(static_cast<std::size_t>(option.first))) : "";
            break;
        case OptionKind::ListBox:
            values.numbers[name] = -1;
            values.lines[name] = {};
            break;
        case OptionKind::Memo:
            values.lines[name] = {};
            break;
        }
    }
    return values;
}
