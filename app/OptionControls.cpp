#include "app/OptionControls.h"

namespace {

constexpr const char* General = "TabSheetHelp";
constexpr const char* Weapons = "TabSheetWeapons";
constexpr const char* Effects = "TabSheetFx";

OptionControl Check(const char* name, const char* caption, const char* page, const char* group, int slot) {
    return {name, OptionKind::CheckBox, caption, page, group, slot, 0, 0, 0, {}};
}

OptionControl Spin(const char* name, const char* caption, const char* page, const char* group, int slot, int min,
                   int max) {
    return {name, OptionKind::SpinEdit, caption, page, group, slot, min, min, max, {}};
}

std::vector<OptionControl> MakeOptionControls() {
    return {
        {"prm_clanTags", OptionKind::Edit, "Tags Clan (nothing to disable)", General, "Clan settings", 0, 0, 0, 0, {}},
        {"prm_clanTeam", OptionKind::ComboBox, "Clan Team", General, "Clan settings", 1, -1, 0, 0, {"allies", "axis"}},
        Check("prm_clanVote", "Allow clan vote", General, "Clan settings", 2),
        Check("scr_killcam", "Kill cam", General, "Gameplay", 0),
        Check("scr_freelook", "Free look", General, "Gameplay", 1),
        Check("scr_spectateenemy", "Spectate enemy", General, "Gameplay", 2),
        Check("scr_teambalance", "Team balance", General, "Gameplay", 3),
        Check("scr_drawfriend", "Draw friend", General, "Gameplay", 4),
        {"scr_friendlyfire",
         OptionKind::RadioGroup,
         "Friendly fire",
         General,
         "Gameplay",
         5,
         0,
         0,
         0,
         {"Turn Off damage", "Turn On damage", "Reflective damage", "Shared damage"}},
        Check("scr_allow_bar", "Bar", Weapons, "Machine Guns", 0),
        Check("scr_allow_m1carbine", "M1 carbine", Weapons, "Rifles", 3),
        Check("scr_allow_m1garand", "M1 garand", Weapons, "Rifles", 4),
        Check("scr_allow_thompson", "Thompson", Weapons, "SubMachine Guns", 2),
        Check("scr_allow_springfield", "Springfield", Weapons, "Snipers", 0),
        Check("scr_allow_enfield", "Enfield", Weapons, "Rifles", 0),
        Check("scr_allow_sten", "Sten", Weapons, "SubMachine Guns", 0),
        Check("scr_allow_bren", "Bren", Weapons, "Machine Guns", 1),
        Check("scr_allow_nagant", "Nagant", Weapons, "Rifles", 2),
        Check("scr_allow_ppsh", "Ppsh", Weapons, "SubMachine Guns", 3),
        Check("scr_allow_nagantsniper", "Nagant Sniper", Weapons, "Snipers", 1),
        Check("scr_allow_mp40", "Mp40", Weapons, "SubMachine Guns", 1),
        Check("scr_allow_mp44", "Mp44", Weapons, "Machine Guns", 2),
        Check("scr_allow_kar98ksniper", "Kar98k Sniper", Weapons, "Snipers", 2),
        Check("scr_allow_fg42", "Fg42", Weapons, "Others (in game)", 0),
        Check("scr_allow_panzerfaust", "Panzerfaust", Weapons, "Others (in game)", 1),
        Check("scr_allow_kar98k", "Kar98k", Weapons, "Rifles", 1),
        Spin("prm_mg_nades", "Grenades MG-SMG", Weapons, "Grenades", 1, 1, 3),
        Spin("prm_sniper_nades", "Grenades Snipers", Weapons, "Grenades", 2, 1, 3),
        Spin("prm_rifle_nades", "Grenades Riflles", Weapons, "Grenades", 0, 1, 3),
        Check("bam_mortar_on", "Mortars", Effects, "", 8),
        Check("prm_bleeding", "Bleeding", Effects, "", 0),
        Check("sv_shellshock", "Shellshock", Effects, "", 5),
        Check("prm_dropHealthpacks", "Drop health packs", Effects, "", 1),
        Check("prm_hitKnockdown", "Knock down", Effects, "", 2),
        Check("prm_damageDropOff", "Damage drop off", Effects, "", 3),
        Check("prm_realscore", "Real score (dm && tdm)", Effects, "", 4),
        Check("prm_mg42onfire", "MG42 On fire", Effects, "", 6),
        Spin("prm_num_stukas", "Stukas", Effects, "", 7, 0, 3),
    };
}

} // namespace

const std::vector<OptionControl>& OptionControls() {
    static const std::vector<OptionControl> controls = MakeOptionControls();
    return controls;
}

std::vector<std::string> OptionGroups(const std::string& page) {
    static const std::vector<std::pair<std::string, std::string>> layout = {
        {General, "Gameplay"},        {General, "Clan settings"}, {Weapons, "Rifles"},
        {Weapons, "SubMachine Guns"}, {Weapons, "Machine Guns"},  {Weapons, "Others (in game)"},
        {Weapons, "Snipers"},         {Weapons, "Grenades"},      {Effects, ""}};
    std::vector<std::string> groups;
    for (const auto& [owner, group] : layout)
        if (owner == page)
            groups.push_back(group);
    return groups;
}
