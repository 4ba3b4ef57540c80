// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/StandardConfig.h"

#include "config/FogValues.h"
#include "config/OptionTable.h"
#include "platform/Paths.h"
#include "platform/TextHelpers.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <stdexcept>

namespace {

struct Section {
    CfgSection id;
    std::string_view title;      // the comment line that opens the section
    std::string_view logSubject; // what the run log calls it
};

// The file, section by section, in the order the server reads it.
constexpr Section Sections[] = {
    {CfgSection::Weapons, "Allowed weapons settings", "Allowed weapons settings"},
    {CfgSection::Grenades, "Grenade settings", "Grenade settings"},
    {CfgSection::Gameplay, "Gameplay settings", "Gameplay settings"},
    {CfgSection::Clan, "Clan settings", "Clan settings"},
    {CfgSection::Effects, "Fx and realistic effects settings", "Fx and realistic effects settings"},
    {CfgSection::Fog, "Fog effects settings", "Fog settings"},
    {CfgSection::Infos, "Infos server settings", "Infos server settings"},
    {CfgSection::Messages, "Msg settings", "Msg settings"},
    {CfgSection::Password, "Password settings", "Password settings"},
    {CfgSection::Rotation, "Maps Rotation", "Maps Rotation"},
};

// The lines that are no option's value, with their place among the option lines of their section.
struct FixedLine {
    CfgSection section;
    int line;
    std::string_view text;
};
constexpr FixedLine FixedLines[] = {
    {CfgSection::Rotation, 0, "seta sv_mapRotationCurrent \"\""},
    {CfgSection::Rotation, 3, "map_rotate"},
};

// The value of an option as the file writes it.
std::string ValueOf(const OptionValues& values, const Option& option) {
    switch (option.kind) {
    case OptionKind::CheckBox:
        return values.Ticked(option.name) ? "1" : "0";
    case OptionKind::SpinEdit:
    case OptionKind::RadioGroup:
        return std::to_string(values.Number(option.name));
    case OptionKind::Edit:
    case OptionKind::ComboBox: // its chosen item's text, empty when none is chosen
        return values.Text(option.name);
    case OptionKind::Memo:
    case OptionKind::ListBox:
        break;
    }
    throw std::logic_error("standard.cfg: " + std::string(option.name) + " has no single value");
}

// `prefix`, the setting's name, a blank and the quoted value, logged under the setting's name.
CfgFileLine QuotedLine(std::string_view prefix, std::string_view name, const std::string& value) {
    CfgFileLine line{std::string(name), {}};
    line.text = std::string(prefix) + line.subject + " " + QuotedValue(value, line.quoteReplaced);
    return line;
}

CfgFileLine SettingLine(std::string_view name, const std::string& value) {
    return QuotedLine("seta ", name, value);
}

std::string RotationText(const LineList& maps) {
    std::string rotation;
    for (const std::string_view map : maps)
        rotation.append("map ").append(map).append(" ");
    return Trim(rotation);
}

// Takes each line of the file in turn.
using CfgLineSink = std::function<void(CfgFileLine line)>;

void AppendOption(const CfgLineSink& add, const OptionValues& values, const Option& option) {
    const std::string_view name = option.CfgName();
    switch (option.cfg) {
    case CfgForm::Seta:
        add(SettingLine(name, ValueOf(values, option)));
        break;
    case CfgForm::Sets:
        add(QuotedLine("sets .", name, ValueOf(values, option)));
        break;
    case CfgForm::ShellShock:
        add({std::string(name), values.Ticked(option.name) ? "seta sv_shellshock \"1\"" : "seta sv_shellshock \"2\""});
        break;
    case CfgForm::Density:
        add(SettingLine(name, DensityForConfig(ValueOf(values, option))));
        break;
    case CfgForm::Messages: {
        // A blank line sends nothing but keeps its number, so the server's messages keep the box's numbering.
        const auto& messages = values.Lines(option.name);
        for (std::size_t i = 0; i < messages.size(); ++i)
            if (!Trim(messages[i]).empty())
                add(SettingLine(std::string(name) + std::to_string(i + 1), std::string(messages[i])));
        break;
    }
    case CfgForm::Rotation:
        add(SettingLine(name, RotationText(values.Lines(option.name))));
        break;
    }
}

// The section's options and fixed lines, in their places.
void AppendSection(const CfgLineSink& add, const OptionValues& values, CfgSection section) {
    std::vector<std::pair<int, const Option*>> options;
    for (const Option& option : Options())
        if (option.section == section)
            options.emplace_back(option.line, &option);
    std::sort(options.begin(), options.end(),
              [](const auto& left, const auto& right) { return left.first < right.first; });
    std::vector<const FixedLine*> fixed;
    for (const FixedLine& line : FixedLines)
        if (line.section == section)
            fixed.push_back(&line);
    auto next = fixed.begin();
    const auto appendFixedUpTo = [&](int place) {
        for (; next != fixed.end() && (*next)->line <= place; ++next)
            add({{}, std::string((*next)->text)});
    };
    for (const auto& [place, option] : options) {
        appendFixedUpTo(place);
        AppendOption(add, values, *option);
    }
    appendFixedUpTo(std::numeric_limits<int>::max());
}

// Composes the file's lines into `add`, logging "<section> : written" after each section when `log` is given.
void Compose(const OptionValues& values, const LogSink* log, const CfgLineSink& add) {
    for (const Section& section : Sections) {
        if (&section != &Sections[0])
            add({});
        add({{}, "// " + std::string(section.title)});
        AppendSection(add, values, section.id);
        if (log)
            (*log)(std::string(section.logSubject) + " : written");
    }
}

} // namespace

std::vector<CfgFileLine> ComposeStandardConfig(const OptionValues& values, const LogSink& log) {
    std::vector<CfgFileLine> lines;
    Compose(values, &log, [&lines](CfgFileLine line) { lines.push_back(std::move(line)); });
    return lines;
}

std::string StandardConfigName(const Instance& instance) {
    return instance.FileName("standard", ".cfg");
}

void WriteStandardConfig(const OptionValues& values, const std::string& gameFolder, const std::string& modFolder,
                         const Instance& instance, const LogSink& log) {
    // Composed twice, for the log and then into the file, so that a long list of messages is never held whole: the
    // sections are all logged before the characters lost in any of them.
    Compose(values, &log, [](const CfgFileLine&) {});
    CfgFileText file(gameFolder, JoinPath(modFolder, StandardConfigName(instance)), log);
    Compose(values, nullptr,
            [&file](const CfgFileLine& line) { file.Add(line.subject, line.text, line.quoteReplaced); });
    file.Save();
    log("Standard cfg : saved");
}
