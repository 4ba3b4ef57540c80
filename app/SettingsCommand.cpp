// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsCommand.h"

#include "app/CommandArguments.h"
#include "app/GameFolderOption.h"
#include "app/StartState.h"
#include "config/FogValues.h"
#include "config/OptionTable.h"
#include "config/StoredOptions.h"
#include "maps/MapScan.h"
#include "maps/Rotation.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/TextHelpers.h"
#include "platform/TextLines.h"
#include "platform/Utf8Text.h"
#include "platform/Windows1252.h"
#include "settings/IniFile.h"
#include "store/ResourcesMaker.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

// A name or value that a settings command refuses: its message, exit code 2, nothing written.
class Refused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr int RefusedExit = 2;
const std::string Hidden = "(set)";

// The names of the options that are no console variable of their own, or whose control's name says little.
std::string NameOf(const Option& option) {
    static const std::pair<std::string_view, std::string_view> names[] = {
        {OptionName::GameFolder, "game"},        {OptionName::Gametype, "gametype"},
        {OptionName::Rotation, "rotation"},      {OptionName::Dedicated, "dedicated"},
        {OptionName::AdvancedLines, "advanced"}, {"MsgMemo", "messages"}};
    for (const auto& [control, name] : names)
        if (option.name == control)
            return std::string(name);
    return std::string(option.name);
}

bool IsLines(const Option& option) {
    return option.kind == OptionKind::ListBox || option.kind == OptionKind::Memo;
}

// The options in the order `show` lists them: the single values of the main window, then the gametype, the
// rotation, the server type and the advanced lines, then the fog and the messages.
std::vector<const Option*> ShownOptions() {
    static const std::string_view later[] = {OptionName::Gametype, OptionName::Rotation, OptionName::Dedicated,
                                             OptionName::AdvancedLines};
    std::vector<const Option*> shown;
    for (const Option& option : Options())
        if (option.window == "MainForm" && std::ranges::find(later, option.name) == std::end(later))
            shown.push_back(&option);
    for (const std::string_view name : later)
        shown.push_back(&OptionNamed("MainForm", name));
    for (const Option& option : Options())
        if (option.window != "MainForm")
            shown.push_back(&option);
    return shown;
}

// The fog dialog's fields hold numbers in a text.
struct NumberField {
    std::string_view name;
    std::string_view accepts;
    bool (*valid)(const QString& text);
};

bool IsColourComponent(const QString& text) {
    const int value = ParseInteger(text);
    return value >= 0 && value <= 255;
}

bool IsWholeNumber(const QString& text) {
    ParseInteger(text);
    return true;
}

bool IsDensity(const QString& text) {
    ParseDensity(text, QLocale::c());
    return true;
}

const NumberField* NumberFieldOf(const Option& option) {
    static const NumberField fields[] = {
        {"prm_fog_red", "0 to 255", IsColourComponent},
        {"prm_fog_green", "0 to 255", IsColourComponent},
        {"prm_fog_blue", "0 to 255", IsColourComponent},
        {"prm_fog_distance", "a whole number (3000 to 10000 on the slider)", IsWholeNumber},
        {"prm_fog_density", "a decimal number (0.001 to 0.006 on the slider)", IsDensity}};
    for (const NumberField& field : fields)
        if (option.name == field.name)
            return &field;
    return nullptr;
}

std::string Joined(const std::vector<std::string>& texts, std::string_view separator) {
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i)
        joined += (i ? std::string(separator) : std::string()) + texts[i];
    return joined;
}

// The items a drop-down offers as `set` takes them: the server types in lower case.
std::vector<std::string> Choices(const Option& option, const OptionValues& values) {
    std::vector<std::string> items = values.Lines(option.name).Strings();
    if (option.name == OptionName::Dedicated)
        std::ranges::transform(items, items.begin(), [](const std::string& item) { return LowerCaseAscii(item); });
    return items;
}

// What `set` takes for an option.
std::string Accepts(const Option& option, const OptionValues& values) {
    if (!option.kept)
        return "nothing: not kept in settings files, starts at " + std::to_string(option.first);
    switch (option.kind) {
    case OptionKind::CheckBox:
        return "0 or 1";
    case OptionKind::SpinEdit:
        return std::to_string(option.min) + " to " + std::to_string(option.max);
    case OptionKind::RadioGroup: {
        std::string items;
        for (std::size_t i = 0; i < option.items.size(); ++i)
            items += (i ? ", " : "") + std::to_string(i) + " " + std::string(option.items[i]);
        return "0 to " + std::to_string(option.items.size() - 1) + " (" + items + ")";
    }
    case OptionKind::Edit:
        if (const NumberField* field = NumberFieldOf(option))
            return std::string(field->accepts);
        return option.name == OptionName::GameFolder ? "a folder" : "one line of text";
    case OptionKind::ComboBox:
        return Joined(Choices(option, values), ", ") + (values.Lines(option.name).empty() ? "" : ", ") +
               "or empty for none";
    case OptionKind::ListBox:
        if (option.name == OptionName::Rotation)
            return "maps of the gametype, comma-separated, in order";
        [[fallthrough]];
    case OptionKind::Memo:
        return "@FILE: the lines of FILE, one each (@- standard input); empty for none";
    }
    return {};
}

// Hides what only the owner may see: the server password, and the value of an rcon_password line.
std::string HiddenText(const Option& option, const std::string& text) {
    return option.name == "g_password" && !text.empty() ? Hidden : text;
}

LineList HiddenLines(const Option& option, const LineList& shown) {
    if (option.name != OptionName::AdvancedLines)
        return shown;
    std::vector<std::string> lines = shown.Strings();
    for (std::string& line : lines) {
        const std::string lower = LowerCaseAscii(line);
        const std::size_t at = lower.find("rcon_password");
        if (at != std::string::npos)
            line = line.substr(0, at + 13) + " " + Hidden;
    }
    return lines;
}

// The value of a single-valued option as `set` takes it.
std::string ValueText(const Option& option, const OptionValues& values) {
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        return values.Ticked(name) ? "1" : "0";
    case OptionKind::SpinEdit:
    case OptionKind::RadioGroup:
        return std::to_string(values.Number(name));
    case OptionKind::Edit:
        return values.Text(name);
    case OptionKind::ComboBox:
        return values.Number(name) < 0 ? std::string()
                                       : Choices(option, values).at(static_cast<std::size_t>(values.Number(name)));
    case OptionKind::ListBox:
    case OptionKind::Memo:
        return Joined(values.Lines(name).Strings(), option.name == OptionName::Rotation ? "," : "\n");
    }
    return {};
}

// ---- names and values given on the command line ----

std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The option that `name` names, letter case ignored; Refused naming the nearest names when none does.
const Option& OptionOfName(const std::string& name) {
    std::vector<std::pair<std::size_t, std::string>> near;
    for (const Option& option : Options()) {
        const std::string known = NameOf(option);
        if (SameTextAscii(known, name))
            return option;
        near.emplace_back(Distance(known, name), known);
    }
    std::ranges::sort(near);
    std::string nearest;
    for (std::size_t i = 0; i < 3 && near[i].first <= std::max<std::size_t>(3, name.size() / 3); ++i)
        nearest += (i ? ", " : "") + near[i].second;
    throw Refused("unknown name '" + name + "'" + (nearest.empty() ? "" : "; the nearest: " + nearest) +
                  " (quendry settings --help lists them all)");
}

// A text that a settings file and a cfg file carry as one line: no line break, only what Windows-1252 has.
void CheckText(const std::string& name, const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos)
        throw Refused(name + ": a line break cannot be part of a value; it would start a new line of the cfg file");
    bool lost = false;
    EncodeWindows1252(text, &lost);
    if (lost)
        throw Refused(name + ": '" + text + "' holds a character that Windows-1252, the game's text, lacks");
}

std::optional<int> WholeNumber(const std::string& text) {
    int value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The lines of "@FILE" (UTF-8, or else Windows-1252), or of standard input for "@-"; none for an empty value.
std::vector<std::string> LinesOf(const std::string& name, const std::string& value) {
    if (value.empty())
        return {};
    if (value.front() != '@')
        throw Refused(name + " takes @FILE, the lines of FILE (@- for standard input), or nothing, not '" + value +
                      "'");
    const std::string file = value.substr(1);
    std::string bytes;
    if (file == "-")
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    else
        bytes = ReadWholeFile(file);
    // CR LF, LF and CR alone each end a line, as in every text file the program reads.
    QString text = QString::fromStdString(DecodeUtf8OrWindows1252(bytes));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return Utf8Lines(TextLines(text));
}

// Puts `value` into the option, checked as the windows check it; Refused saying what it accepts otherwise.
void Assign(const Option& option, const std::string& value, OptionValues& values) {
    const std::string name(option.name);
    const std::string shownName = NameOf(option);
    const auto refuse = [&]() {
        return Refused(shownName + " takes " + Accepts(option, values) + ", not '" + value + "'");
    };
    if (!option.kept)
        throw refuse();
    switch (option.kind) {
    case OptionKind::CheckBox:
        if (value != "0" && value != "1")
            throw refuse();
        values.ticked[name] = value == "1";
        return;
    case OptionKind::SpinEdit: {
        const auto number = WholeNumber(value);
        if (!number || *number < option.min || *number > option.max)
            throw refuse();
        values.numbers[name] = *number;
        return;
    }
    case OptionKind::RadioGroup: {
        auto index = WholeNumber(value);
        for (std::size_t i = 0; !index && i < option.items.size(); ++i)
            if (SameTextAscii(option.items[i], value))
                index = static_cast<int>(i);
        if (!index || *index < 0 || *index >= static_cast<int>(option.items.size()))
            throw refuse();
        values.numbers[name] = *index;
        return;
    }
    case OptionKind::Edit:
        CheckText(shownName, value);
        if (const NumberField* field = NumberFieldOf(option)) {
            try {
                if (!field->valid(FromUtf8(value)))
                    throw refuse();
            } catch (const Refused&) {
                throw;
            } catch (const std::exception&) {
                throw refuse();
            }
        }
        if (option.name == OptionName::GameFolder) {
            if (const std::string unusable = UnusableGameFolder(value); !unusable.empty())
                throw Refused(unusable);
            values.SetGameFolder(TrimFolderPath(value));
            return;
        }
        values.texts[name] = value;
        return;
    case OptionKind::ComboBox: {
        const std::vector<std::string> choices = Choices(option, values);
        int index = -1;
        for (std::size_t i = 0; index < 0 && i < choices.size(); ++i)
            if (SameTextAscii(choices[i], value))
                index = static_cast<int>(i);
        if (index < 0 && !value.empty())
            throw refuse();
        values.numbers[name] = index;
        values.texts[name] = index < 0 ? std::string() : values.Lines(name)[static_cast<std::size_t>(index)];
        return;
    }
    case OptionKind::ListBox:
    case OptionKind::Memo: {
        std::vector<std::string> lines;
        if (option.name == OptionName::Rotation) {
            std::istringstream maps(value);
            for (std::string map; std::getline(maps, map, ',');)
                if (!Trim(map).empty())
                    lines.push_back(Trim(map));
        } else {
            lines = LinesOf(shownName, value);
        }
        for (const std::string& line : lines)
            CheckText(shownName, line);
        values.lines[name] = std::move(lines);
        if (option.kind == OptionKind::ListBox)
            values.numbers[name] = -1; // a new list has no chosen row
        return;
    }
    }
}

// Each map of the rotation that the catalogue offers for the gametype; with no catalogue yet, the maps are kept
// and `err` says so.
void CheckRotation(const OptionValues& values, std::ostream& err) {
    const QString mapsFile = QString::fromStdString(MapsFilePath());
    const QStringList catalogue = QFile::exists(mapsFile) ? ReadIniLines(mapsFile) : QStringList();
    if (catalogue.isEmpty()) {
        err << "There is no map catalogue (" << MapsFilePath()
            << ") to check the rotation against: its maps are kept as given; 'quendry run' builds the catalogue "
               "first.\n";
        return;
    }
    const QStringList offered = MapsOfGametype(catalogue, FromUtf8(values.Gametype()));
    for (const std::string& map : values.Rotation().Strings())
        if (!offered.contains(FromUtf8(map), Qt::CaseInsensitive))
            throw Refused("rotation: the map catalogue offers no map " + map + " for the gametype '" +
                          values.Gametype() + "'; it offers " +
                          (offered.isEmpty() ? std::string("none") : offered.join(QStringLiteral(", ")).toStdString()));
}

// Applies the words NAME=VALUE to `values`, all checked before any is kept.
void ApplyAssignments(const std::vector<std::string>& words, OptionValues& values, std::ostream& err) {
    OptionValues changed = values;
    bool rotationGiven = false;
    for (const std::string& word : words) {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0)
            throw Refused("expects NAME=VALUE, not '" + word + "'");
        const Option& option = OptionOfName(word.substr(0, equals));
        Assign(option, word.substr(equals + 1), changed);
        rotationGiven = rotationGiven || option.name == OptionName::Rotation;
    }
    if (rotationGiven)
        CheckRotation(changed, err);
    values = std::move(changed);
}

// A settings file given by name, or Refused saying why it cannot be used.
TIniFile GivenFile(const std::string& file) {
    GivenSettings given = ReadGivenSettings(file);
    if (!given.ini)
        throw Refused(given.unusable);
    return std::move(*given.ini);
}

OptionValues ValuesOf(const TIniFile& ini) {
    OptionValues values = FirstOptionValues();
    LoadStoredOptions(ini, values);
    return values;
}

// The factory settings: what Default loads, "default.ini" of "default.bin", over the table's first values.
OptionValues FactoryValues() {
    {
        TResourcesMaker resources(SideFile("default.bin"), "", TStoreAccess::ReadOnly);
        resources.ExtractResource(MakeScratchFolder(), "default.ini", true, epFileNameOnly);
    }
    return ValuesOf(TIniFile(QString::fromStdString(JoinPath(ScratchFolderPath(), "default.ini"))));
}

// Runs `body`; a refusal is told on `err` and gives 2.
template <class Body> int Refusable(const char* verb, std::ostream& err, Body body) {
    try {
        return body();
    } catch (const Refused& refused) {
        err << "quendry settings " << verb << ": " << refused.what() << '\n';
        return RefusedExit;
    }
}

QJsonValue JsonValue(const Option& option, const OptionValues& values, bool secrets) {
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        return values.Ticked(name);
    case OptionKind::SpinEdit:
    case OptionKind::RadioGroup:
        return values.Number(name);
    case OptionKind::Edit:
    case OptionKind::ComboBox: {
        const std::string text = ValueText(option, values);
        return FromUtf8(secrets ? text : HiddenText(option, text));
    }
    case OptionKind::ListBox:
    case OptionKind::Memo:
        return QJsonArray::fromStringList(
            FromUtf8(secrets ? values.Lines(name) : HiddenLines(option, values.Lines(name))));
    }
    return {};
}

void ShowJson(const std::string& file, const OptionValues& values, bool secrets, std::ostream& out) {
    QJsonArray options;
    for (const Option* option : ShownOptions()) {
        QJsonObject entry{{QStringLiteral("name"), FromUtf8(NameOf(*option))},
                          {QStringLiteral("window"), FromUtf8(option->window)},
                          {QStringLiteral("value"), JsonValue(*option, values, secrets)},
                          {QStringLiteral("accepts"), FromUtf8(Accepts(*option, values))},
                          {QStringLiteral("kept"), option->kept}};
        if (option->kind == OptionKind::ComboBox)
            entry.insert(QStringLiteral("choices"), QJsonArray::fromStringList(FromUtf8(Choices(*option, values))));
        options.append(entry);
    }
    const QJsonObject document{{QStringLiteral("file"), QString::fromStdString(file)},
                               {QStringLiteral("options"), options}};
    out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

void ShowText(const OptionValues& values, bool secrets, std::ostream& out) {
    std::size_t width = 0;
    for (const Option* option : ShownOptions())
        width = std::max(width, NameOf(*option).size());
    for (const Option* option : ShownOptions()) {
        const std::string name = NameOf(*option);
        out << name << std::string(width + 2 - name.size(), ' ');
        if (IsLines(*option) && option->name != OptionName::Rotation) {
            const auto lines = secrets ? values.Lines(option->name) : HiddenLines(*option, values.Lines(option->name));
            out << lines.size() << (lines.size() == 1 ? " line" : " lines") << "  [" << Accepts(*option, values)
                << "]\n";
            for (const std::string_view line : lines)
                out << "    " << line << '\n';
            continue;
        }
        const std::string text = ValueText(*option, values);
        out << (secrets ? text : HiddenText(*option, text)) << "  [" << Accepts(*option, values) << "]\n";
    }
}

} // namespace

int SettingsNewCommand(const CommandArguments& args, std::ostream&, std::ostream& err) {
    return Refusable("new", err, [&] {
        const std::vector<std::string> words = args.Words();
        const std::string& file = words.front();
        std::error_code error;
        if (!args.IsSet("force") &&
            std::filesystem::symlink_status(file, error).type() != std::filesystem::file_type::not_found)
            throw Refused(file + " exists already; --force replaces it");
        OptionValues values = FactoryValues();
        std::vector<std::string> assignments(words.begin() + 1, words.end());
        if (const auto game = args.Value("game"))
            assignments.insert(assignments.begin(), "game=" + *game);
        ApplyAssignments(assignments, values, err);
        TIniFile ini = TIniFile::Empty(QString::fromStdString(file));
        SaveStoredOptions(ini, values);
        ini.Save();
        return 0;
    });
}

int SettingsShowCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return Refusable("show", err, [&] {
        const std::string file = args.Words().front();
        const OptionValues values = ValuesOf(GivenFile(file));
        if (args.IsSet("json"))
            ShowJson(file, values, args.IsSet("secrets"), out);
        else
            ShowText(values, args.IsSet("secrets"), out);
        return 0;
    });
}

int SettingsSetCommand(const CommandArguments& args, std::ostream&, std::ostream& err) {
    return Refusable("set", err, [&] {
        const std::vector<std::string> words = args.Words();
        TIniFile ini = GivenFile(words.front());
        OptionValues values = ValuesOf(ini);
        ApplyAssignments(std::vector<std::string>(words.begin() + 1, words.end()), values, err);
        SaveStoredOptions(ini, values);
        ini.Save();
        return 0;
    });
}

int SettingsGetCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return Refusable("get", err, [&] {
        const std::vector<std::string> words = args.Words();
        const Option& option = OptionOfName(words[1]);
        const OptionValues values = ValuesOf(GivenFile(words[0]));
        const std::string text = ValueText(option, values);
        out << text << (text.empty() && IsLines(option) && option.name != OptionName::Rotation ? "" : "\n");
        return 0;
    });
}

std::string SettingsNamesHelp() {
    const OptionValues values = FirstOptionValues();
    std::size_t width = 0;
    for (const Option* option : ShownOptions())
        width = std::max(width, NameOf(*option).size());
    std::string help = "\nNames (NAME=VALUE), with what they accept:\n";
    for (const Option* option : ShownOptions()) {
        if (!option->kept)
            continue;
        const std::string name = NameOf(*option);
        help += "  " + name + std::string(width + 2 - name.size(), ' ') +
                (option->name == OptionName::Gametype ? std::string("a gametype code of the settings, e.g. sd")
                                                      : Accepts(*option, values)) +
                '\n';
    }
    return help;
}
