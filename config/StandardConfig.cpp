#include "config/StandardConfig.h"

#include "platform/Paths.h"
#include "config/FogValues.h"
#include "config/TextHelpers.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::string_view MainForm = "MainForm";
constexpr std::string_view FogForm = "FogForm";
constexpr std::string_view MsgForm = "MsgForm";

// How a row of the file is written.
enum class RowForm {
    Seta,       // seta <name> "<value>"
    Sets,       // sets .<name> "<value>"
    ShellShock, // a fixed line chosen by the check box
    Density,    // seta <name> "<value>" with the locale's decimal separator turned into a point
    Messages,   // one seta prm_message<N> line per message line
    Rotation,   // seta sv_mapRotation "map <m1> map <m2> ..."
    Fixed,      // `name` is the line itself
};

struct Row {
    RowForm form;
    std::string_view name;
    ValueKind kind = ValueKind::Edit;
    std::string_view window = MainForm;

    bool ReadsControl() const {
        return form != RowForm::Messages && form != RowForm::Rotation && form != RowForm::Fixed;
    }
};

struct Section {
    std::string_view title;      // the comment line that opens the section
    std::string_view logSubject; // what the run log calls it
    std::vector<Row> rows;
};

Row Check(std::string_view name) {
    return {RowForm::Seta, name, ValueKind::CheckBox};
}
Row Spin(std::string_view name, std::string_view window = MainForm) {
    return {RowForm::Seta, name, ValueKind::SpinEdit, window};
}
Row Radio(std::string_view name, std::string_view window = MainForm) {
    return {RowForm::Seta, name, ValueKind::RadioGroup, window};
}
Row Edit(std::string_view name, std::string_view window = MainForm) {
    return {RowForm::Seta, name, ValueKind::Edit, window};
}
Row Combo(std::string_view name) {
    return {RowForm::Seta, name, ValueKind::ComboBox};
}
Row Info(std::string_view name) {
    return {RowForm::Sets, name, ValueKind::Edit};
}
Row Fixed(std::string_view line) {
    return {RowForm::Fixed, line};
}

// The file, section by section, in the order the server reads it.
const std::vector<Section>& Sections() {
    static const std::vector<Section> sections = {
        {"Allowed weapons settings",
         "Allowed weapons settings",
         {Check("scr_allow_enfield"), Check("scr_allow_kar98k"), Check("scr_allow_nagant"),
          Check("scr_allow_m1carbine"), Check("scr_allow_m1garand"), Check("scr_allow_sten"), Check("scr_allow_mp40"),
          Check("scr_allow_thompson"), Check("scr_allow_ppsh"), Check("scr_allow_bar"), Check("scr_allow_bren"),
          Check("scr_allow_mp44"), Check("scr_allow_springfield"), Check("scr_allow_nagantsniper"),
          Check("scr_allow_kar98ksniper"), Check("scr_allow_fg42"), Check("scr_allow_panzerfaust")}},
        {"Grenade settings",
         "Grenade settings",
         {Spin("prm_rifle_nades"), Spin("prm_mg_nades"), Spin("prm_sniper_nades")}},
        {"Gameplay settings",
         "Gameplay settings",
         {Check("scr_killcam"), Check("scr_freelook"), Check("scr_spectateenemy"), Check("scr_teambalance"),
          Check("scr_drawfriend"), Radio("scr_friendlyfire")}},
        {"Clan settings", "Clan settings", {Edit("prm_clanTags"), Combo("prm_clanTeam"), Check("prm_clanVote")}},
        {"Fx and realistic effects settings",
         "Fx and realistic effects settings",
         {Check("prm_bleeding"),
          Check("prm_dropHealthpacks"),
          Check("prm_hitKnockdown"),
          Check("prm_damageDropOff"),
          Check("prm_realscore"),
          {RowForm::ShellShock, "sv_shellshock", ValueKind::CheckBox},
          Check("prm_mg42onfire"),
          Radio("prm_fog_type", FogForm),
          Spin("prm_num_stukas"),
          Check("bam_mortar_on")}},
        {"Fog effects settings",
         "Fog settings",
         {Edit("prm_fog_red", FogForm),
          Edit("prm_fog_green", FogForm),
          Edit("prm_fog_blue", FogForm),
          Edit("prm_fog_distance", FogForm),
          {RowForm::Density, "prm_fog_density", ValueKind::Edit, FogForm}}},
        {"Infos server settings",
         "Infos server settings",
         {Edit("sv_hostname"), Edit("scr_motd"), Info("Admin"), Info("Email"), Info("Location")}},
        {"Msg settings", "Msg settings", {Spin("prm_delay", MsgForm), {RowForm::Messages, "prm_message"}}},
        {"Password settings", "Password settings", {Edit("g_password")}},
        {"Maps Rotation",
         "Maps Rotation",
         {Fixed("seta sv_mapRotationCurrent \"\""),
          {RowForm::Rotation, "sv_mapRotation"},
          Combo("g_gametype"),
          Fixed("map_rotate")}},
    };
    return sections;
}

template <class Map> const auto& Lookup(const Map& map, std::string_view name) {
    const auto found = map.find(name);
    if (found == map.end())
        throw std::logic_error("standard.cfg: no value for " + std::string(name));
    return found->second;
}

// The value of a control converted by its kind.
std::string ValueOf(const StandardConfigValues& values, const Row& row) {
    switch (row.kind) {
    case ValueKind::CheckBox:
        return Lookup(values.ticked, row.name) ? "1" : "0";
    case ValueKind::SpinEdit:
    case ValueKind::RadioGroup:
        return std::to_string(Lookup(values.numbers, row.name));
    case ValueKind::Edit:
    case ValueKind::ComboBox:
        return Lookup(values.texts, row.name);
    }
    throw std::logic_error("standard.cfg: unknown control kind");
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

std::string RotationText(const std::vector<std::string>& maps) {
    std::string rotation;
    for (const auto& map : maps)
        rotation += "map " + map + " ";
    return Trim(rotation);
}

void AppendRow(std::vector<CfgFileLine>& lines, const StandardConfigValues& values, const Row& row) {
    switch (row.form) {
    case RowForm::Seta:
        lines.push_back(SettingLine(row.name, ValueOf(values, row)));
        break;
    case RowForm::Sets:
        lines.push_back(QuotedLine("sets .", row.name, ValueOf(values, row)));
        break;
    case RowForm::ShellShock:
        lines.push_back({std::string(row.name),
                         Lookup(values.ticked, row.name) ? "seta sv_shellshock \"1\"" : "seta sv_shellshock \"2\""});
        break;
    case RowForm::Density:
        lines.push_back(SettingLine(row.name, DensityForConfig(ValueOf(values, row))));
        break;
    case RowForm::Messages:
        // A blank line sends nothing but keeps its number, so the server's messages keep the box's numbering.
        for (std::size_t i = 0; i < values.messageLines.size(); ++i)
            if (!Trim(values.messageLines[i]).empty())
                lines.push_back(SettingLine(std::string(row.name) + std::to_string(i + 1), values.messageLines[i]));
        break;
    case RowForm::Rotation:
        lines.push_back(SettingLine(row.name, RotationText(values.selectedMaps)));
        break;
    case RowForm::Fixed:
        lines.push_back({{}, std::string(row.name)});
        break;
    }
}

} // namespace

const std::vector<StandardConfigControl>& StandardConfigControls() {
    static const std::vector<StandardConfigControl> controls = [] {
        std::vector<StandardConfigControl> all;
        for (const auto& section : Sections())
            for (const auto& row : section.rows)
                if (row.ReadsControl())
                    all.push_back({row.window, row.name, row.kind});
        return all;
    }();
    return controls;
}

std::vector<CfgFileLine> ComposeStandardConfig(const StandardConfigValues& values, const LogSink& log) {
    std::vector<CfgFileLine> lines;
    for (const auto& section : Sections()) {
        if (!lines.empty())
            lines.push_back({});
        lines.push_back({{}, "// " + std::string(section.title)});
        for (const auto& row : section.rows)
            AppendRow(lines, values, row);
        log(std::string(section.logSubject) + " : written");
    }
    return lines;
}

void WriteStandardConfig(const StandardConfigValues& values, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log) {
    SaveCfgFile(JoinPath(JoinPath(gameFolder, modFolder), "standard.cfg"), ComposeStandardConfig(values, log), log);
    log("Standard cfg : saved");
}
