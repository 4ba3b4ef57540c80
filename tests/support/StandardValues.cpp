// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/StandardValues.h"

#include "config/OptionTable.h"

OptionValues FirstStandardValues() {
    OptionValues values;
    for (const Option& option : Options()) {
        const std::string name(option.name);
        switch (option.kind) {
        case OptionKind::CheckBox:
            values.ticked[name] = false;
            break;
        case OptionKind::SpinEdit:
        case OptionKind::RadioGroup:
            values.numbers[name] = 0;
            break;
        case OptionKind::Edit:
            values.texts[name] = "";
            break;
        case OptionKind::ComboBox:
            values.numbers[name] = -1;
            values.texts[name] = "";
            values.lines[name] = {};
            break;
        case OptionKind::Memo:
        case OptionKind::ListBox:
            values.lines[name] = {};
            break;
        }
    }
    for (const char* grenades : {"prm_rifle_nades", "prm_mg_nades", "prm_sniper_nades"})
        values.numbers[grenades] = 1;
    values.numbers["prm_fog_type"] = 2;
    values.numbers["prm_delay"] = 30;
    for (const char* component : {"prm_fog_red", "prm_fog_green", "prm_fog_blue"})
        values.texts[component] = "255";
    values.texts["prm_fog_distance"] = "3000";
    values.texts["prm_fog_density"] = "0,001";
    values.texts["g_gametype"] = "dm";
    values.lines["ListBoxSelectedMaps"] = {"mp_x"};
    return values;
}

const std::vector<std::string>& StandardSectionLog() {
    static const std::vector<std::string> lines = {"Allowed weapons settings : written",
                                                   "Grenade settings : written",
                                                   "Gameplay settings : written",
                                                   "Clan settings : written",
                                                   "Fx and realistic effects settings : written",
                                                   "Fog settings : written",
                                                   "Infos server settings : written",
                                                   "Msg settings : written",
                                                   "Password settings : written",
                                                   "Maps Rotation : written"};
    return lines;
}
