// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionTable.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr std::string_view MainForm = "MainForm";
constexpr std::string_view FogForm = "FogForm";
constexpr std::string_view MsgForm = "MsgForm";

constexpr std::string_view General = "TabSheetHelp";
constexpr std::string_view Weapons = "TabSheetWeapons";
constexpr std::string_view Effects = "TabSheetFx";

Option Base(std::string_view window, std::string_view name, OptionKind kind, std::string_view caption) {
    Option option{};
    option.window = window;
    option.name = name;
    option.kind = kind;
    option.caption = caption;
    return option;
}

Option OnPage(Option option, std::string_view page, std::string_view group, int slot) {
    option.page = page;
    option.group = group;
    option.slot = slot;
    return option;
}

// Builders for the rows of the table; `In` places a row in standard.cfg.
Option In(Option option, CfgSection section, int line, CfgForm cfg = CfgForm::Seta) {
    option.section = section;
    option.line = line;
    option.cfg = cfg;
    return option;
}

Option Check(std::string_view name, std::string_view caption, std::string_view page, std::string_view group, int slot) {
    return OnPage(Base(MainForm, name, OptionKind::CheckBox, caption), page, group, slot);
}

Option Spin(std::string_view window, std::string_view name, std::string_view caption, std::string_view page,
            std::string_view group, int slot, int min, int max, int first) {
    Option option = OnPage(Base(window, name, OptionKind::SpinEdit, caption), page, group, slot);
    option.first = first;
    option.min = min;
    option.max = max;
    return option;
}

Option Edit(std::string_view window, std::string_view name, std::string_view caption, std::string_view firstText = {}) {
    Option option = Base(window, name, OptionKind::Edit, caption);
    option.firstText = firstText;
    return option;
}

Option Choice(std::string_view window, std::string_view name, OptionKind kind, std::string_view caption,
              std::vector<std::string_view> items, int first) {
    Option option = Base(window, name, kind, caption);
    option.items = std::move(items);
    option.first = first;
    return option;
}

Option List(std::string_view window, std::string_view name, OptionKind kind, std::string_view caption) {
    return Base(window, name, kind, caption);
}

Option Named(Option option, std::string_view cfgName) {
    option.cfgName = cfgName;
    return option;
}

Option Tip(Option option, std::string_view tip) {
    option.tip = tip;
    return option;
}

Option NotKept(Option option) {
    option.kept = false;
    return option;
}

using S = CfgSection;

std::vector<Option> MakeOptions() {
    return {
        // The main window: server info first, the game folder last of them.
        In(Edit(MainForm, "sv_hostname", "Host Name"), S::Infos, 0),
        In(Edit(MainForm, "Email", "Email"), S::Infos, 3, CfgForm::Sets),
        In(Edit(MainForm, "Admin", "Admin"), S::Infos, 2, CfgForm::Sets),
        In(Edit(MainForm, "Location", "Location"), S::Infos, 4, CfgForm::Sets),
        In(Edit(MainForm, "g_password", "Password"), S::Password, 0),
        In(Edit(MainForm, "scr_motd", "Welcome msg"), S::Infos, 1),
        Tip(Edit(MainForm, OptionName::GameFolder, "Install dir of Call of duty"),
            "The game folder, which holds CoDMP.exe or cod_lnxded"),
        Choice(MainForm, OptionName::Dedicated, OptionKind::ComboBox, "Res Type", {"None", "Local", "Internet"}, -1),
        Tip(List(MainForm, OptionName::AdvancedLines, OptionKind::ListBox, "Advanced settings"),
            "Lines written as they are into advanced.cfg, which the server runs before standard.cfg. A double-click "
            "edits a line."),
        // The option pages.
        In(OnPage(Edit(MainForm, "prm_clanTags", "Tags Clan (nothing to disable)"), General, "Clan settings", 0),
           S::Clan, 0),
        In(OnPage(Choice(MainForm, "prm_clanTeam", OptionKind::ComboBox, "Clan Team", {"allies", "axis"}, -1), General,
                  "Clan settings", 1),
           S::Clan, 1),
        In(Check("prm_clanVote", "Allow clan vote", General, "Clan settings", 2), S::Clan, 2),
        In(Check("scr_killcam", "Kill cam", General, "Gameplay", 0), S::Gameplay, 0),
        In(Check("scr_freelook", "Free look", General, "Gameplay", 1), S::Gameplay, 1),
        In(Check("scr_spectateenemy", "Spectate enemy", General, "Gameplay", 2), S::Gameplay, 2),
        In(Check("scr_teambalance", "Team balance", General, "Gameplay", 3), S::Gameplay, 3),
        In(Check("scr_drawfriend", "Draw friend", General, "Gameplay", 4), S::Gameplay, 4),
        In(OnPage(Choice(MainForm, "scr_friendlyfire", OptionKind::RadioGroup, "Friendly fire",
                         {"Turn Off damage", "Turn On damage", "Reflective damage", "Shared damage"}, 0),
                  General, "Gameplay", 5),
           S::Gameplay, 5),
        In(Check("scr_allow_bar", "Bar", Weapons, "Machine Guns", 0), S::Weapons, 9),
        In(Check("scr_allow_m1carbine", "M1 carbine", Weapons, "Rifles", 3), S::Weapons, 3),
        In(Check("scr_allow_m1garand", "M1 garand", Weapons, "Rifles", 4), S::Weapons, 4),
        In(Check("scr_allow_thompson", "Thompson", Weapons, "SubMachine Guns", 2), S::Weapons, 7),
        In(Check("scr_allow_springfield", "Springfield", Weapons, "Snipers", 0), S::Weapons, 12),
        In(Check("scr_allow_enfield", "Enfield", Weapons, "Rifles", 0), S::Weapons, 0),
        In(Check("scr_allow_sten", "Sten", Weapons, "SubMachine Guns", 0), S::Weapons, 5),
        In(Check("scr_allow_bren", "Bren", Weapons, "Machine Guns", 1), S::Weapons, 10),
        In(Check("scr_allow_nagant", "Nagant", Weapons, "Rifles", 2), S::Weapons, 2),
        In(Check("scr_allow_ppsh", "Ppsh", Weapons, "SubMachine Guns", 3), S::Weapons, 8),
        In(Check("scr_allow_nagantsniper", "Nagant Sniper", Weapons, "Snipers", 1), S::Weapons, 13),
        In(Check("scr_allow_mp40", "Mp40", Weapons, "SubMachine Guns", 1), S::Weapons, 6),
        In(Check("scr_allow_mp44", "Mp44", Weapons, "Machine Guns", 2), S::Weapons, 11),
        In(Check("scr_allow_kar98ksniper", "Kar98k Sniper", Weapons, "Snipers", 2), S::Weapons, 14),
        In(Check("scr_allow_fg42", "Fg42", Weapons, "Others (in game)", 0), S::Weapons, 15),
        In(Check("scr_allow_panzerfaust", "Panzerfaust", Weapons, "Others (in game)", 1), S::Weapons, 16),
        In(Check("scr_allow_kar98k", "Kar98k", Weapons, "Rifles", 1), S::Weapons, 1),
        In(Spin(MainForm, "prm_mg_nades", "Grenades MG-SMG", Weapons, "Grenades", 1, 1, 3, 1), S::Grenades, 1),
        In(Spin(MainForm, "prm_sniper_nades", "Grenades Snipers", Weapons, "Grenades", 2, 1, 3, 1), S::Grenades, 2),
        In(Spin(MainForm, "prm_rifle_nades", "Grenades Riflles", Weapons, "Grenades", 0, 1, 3, 1), S::Grenades, 0),
        In(Check("bam_mortar_on", "Mortars", Effects, "", 8), S::Effects, 9),
        In(Check("prm_bleeding", "Bleeding", Effects, "", 0), S::Effects, 0),
        In(Check("sv_shellshock", "Shellshock", Effects, "", 5), S::Effects, 5, CfgForm::ShellShock),
        In(Check("prm_dropHealthpacks", "Drop health packs", Effects, "", 1), S::Effects, 1),
        In(Check("prm_hitKnockdown", "Knock down", Effects, "", 2), S::Effects, 2),
        In(Check("prm_damageDropOff", "Damage drop off", Effects, "", 3), S::Effects, 3),
        In(Check("prm_realscore", "Real score (dm && tdm)", Effects, "", 4), S::Effects, 4),
        In(Check("prm_mg42onfire", "MG42 On fire", Effects, "", 6), S::Effects, 6),
        In(Spin(MainForm, "prm_num_stukas", "Stukas", Effects, "", 7, 0, 3, 0), S::Effects, 8),
        // The maps page: the rotation and its gametype, whose items come from the settings.
        In(Named(List(MainForm, OptionName::Rotation, OptionKind::ListBox, "Rotation"), "sv_mapRotation"), S::Rotation,
           1, CfgForm::Rotation),
        In(Choice(MainForm, OptionName::Gametype, OptionKind::ComboBox, "Gametype", {}, -1), S::Rotation, 2),
        // "Fog settings": red first, as settings files have always listed it.
        In(Choice(FogForm, "prm_fog_type", OptionKind::RadioGroup, "Fog type", {"No fog", "Fog", "Haze"}, 2),
           S::Effects, 7),
        In(Edit(FogForm, "prm_fog_red", "R", "255"), S::Fog, 0),
        In(Edit(FogForm, "prm_fog_density", "Haze Density : ", "0.001"), S::Fog, 4, CfgForm::Density),
        In(Edit(FogForm, "prm_fog_distance", "Fog Distance : ", "3000"), S::Fog, 3),
        In(Edit(FogForm, "prm_fog_green", "G", "255"), S::Fog, 1),
        In(Edit(FogForm, "prm_fog_blue", "B", "255"), S::Fog, 2),
        // "Msg settings": the delay starts at 30 with each run of the program.
        In(NotKept(Spin(MsgForm, "prm_delay", "Message delay (in seconds)", "", "", 0, 30, 300, 30)), S::Messages, 0),
        In(Named(List(MsgForm, "MsgMemo", OptionKind::Memo, ""), "prm_message"), S::Messages, 1, CfgForm::Messages),
    };
}

} // namespace

const std::vector<Option>& Options() {
    static const std::vector<Option> options = MakeOptions();
    return options;
}

const Option& OptionNamed(std::string_view window, std::string_view name) {
    for (const Option& option : Options())
        if (option.window == window && option.name == name)
            return option;
    throw std::logic_error("no option " + std::string(window) + "." + std::string(name));
}

std::string OptionToolTip(const Option& option) {
    if (!option.tip.empty())
        return std::string(option.tip);
    const std::string name(option.CfgName());
    std::string variable = name;
    if (option.cfg == CfgForm::Sets)
        variable = "." + name;
    else if (option.cfg == CfgForm::Messages)
        variable = name + "1, " + name + "2, ... (one a line)";
    if (option.kind == OptionKind::SpinEdit)
        variable += " (" + std::to_string(option.min) + " to " + std::to_string(option.max) + ")";
    return variable;
}

const std::vector<OptionPage>& OptionPages() {
    static const std::vector<OptionPage> pages = {
        {General, "General", 2}, {Weapons, "Weapons", 3}, {Effects, "Fx and realistic effects", 2}};
    return pages;
}

std::vector<std::string_view> OptionGroups(std::string_view page) {
    static const std::pair<std::string_view, std::string_view> layout[] = {
        {General, "Gameplay"},        {General, "Clan settings"}, {Weapons, "Rifles"},
        {Weapons, "SubMachine Guns"}, {Weapons, "Machine Guns"},  {Weapons, "Others (in game)"},
        {Weapons, "Snipers"},         {Weapons, "Grenades"},      {Effects, ""}};
    std::vector<std::string_view> groups;
    for (const auto& [owner, group] : layout)
        if (owner == page)
            groups.push_back(group);
    return groups;
}
