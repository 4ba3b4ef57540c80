// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every option control of every window, declared once: the windows build their controls from it, the settings
// file keeps its values under the window's section and the control's name, and "standard.cfg" is written from
// it. Each control is named after the console variable it sets.

enum class OptionKind {
    CheckBox,   // ticked or not: "1" or "0"
    SpinEdit,   // a whole number within a range
    RadioGroup, // the index of the chosen item, -1 when none
    Edit,       // a line of text
    ComboBox,   // a drop-down list: its items and the chosen one
    Memo,       // lines of text
    ListBox,    // a list of lines
};

// The sections of "standard.cfg", in the order the server reads them.
enum class CfgSection {
    None, // not written into standard.cfg
    Weapons,
    Grenades,
    Gameplay,
    Clan,
    Effects,
    Fog,
    Infos,
    Messages,
    Password,
    Rotation,
};

// How an option's value becomes lines of standard.cfg.
enum class CfgForm {
    Seta,       // seta <name> "<value>"
    Sets,       // sets .<name> "<value>": shown to players in the server browser
    ShellShock, // seta sv_shellshock "1" when ticked, "2" when not
    Density,    // seta <name> "<value>" with the decimal separator written as a point
    Messages,   // one seta <name><N> line per message line that holds more than blanks
    Rotation,   // seta <name> "map <m1> map <m2> ..."
};

struct Option {
    std::string_view window; // "MainForm", "FogForm" or "MsgForm"
    std::string_view name;   // the control's name: the console variable, or the settings key
    OptionKind kind;
    std::string_view caption;   // the control's own caption, or the label beside it
    std::string_view page;      // the option page whose groups show it; empty for controls their window places itself
    std::string_view group;     // the group on that page; empty for controls placed on the page itself
    int slot = 0;               // the place within its group, top to bottom
    int first = 0;              // first value: 1 for a ticked box, the spin edit's number, the chosen item (-1 none)
    std::string_view firstText; // first text of an edit
    int min = 0;                // range of a spin edit
    int max = 0;
    std::vector<std::string_view> items; // items of a radio group, or first items of a drop-down list
    bool kept = true;                    // saved in settings files
    CfgSection section = CfgSection::None;
    int line = 0; // the place within its standard.cfg section
    CfgForm cfg = CfgForm::Seta;
    std::string_view cfgName; // the console variable written, when it is not the control's name
    std::string_view tip;     // the tooltip of a control that sets no console variable

    std::string_view CfgName() const { return cfgName.empty() ? name : cfgName; }
};

// The options that the program reads by themselves, beyond writing them into the cfg files, named once for the
// table and for the accessors of OptionValues.
namespace OptionName {
inline constexpr std::string_view GameFolder = "EditPath";
inline constexpr std::string_view Dedicated = "dedicated";
inline constexpr std::string_view AdvancedLines = "ListBoxCfg";
inline constexpr std::string_view Rotation = "ListBoxSelectedMaps";
inline constexpr std::string_view Gametype = "g_gametype";
} // namespace OptionName

// Every option, window by window in the order the program creates them, each in the order its window creates
// its controls, which is the order of their keys in a new settings file.
const std::vector<Option>& Options();

// The option `name` of `window`. Throws std::logic_error when there is none.
const Option& OptionNamed(std::string_view window, std::string_view name);

// The tooltip of the option's control: the console variable it sets, as standard.cfg writes it, and for a number
// its range ("prm_mg_nades (1 to 3)"); for a control that sets none, what it holds.
std::string OptionToolTip(const Option& option);

// A page of options of the main window.
struct OptionPage {
    std::string_view name;    // the page's object name
    std::string_view caption; // its tab's caption
    int columns;              // its groups fill this many columns in turn
};

// The pages of options, in the order of their tabs.
const std::vector<OptionPage>& OptionPages();

// The groups of one page of the main window, in the order in which they are laid out.
std::vector<std::string_view> OptionGroups(std::string_view page);
