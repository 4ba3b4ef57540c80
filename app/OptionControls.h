#pragma once

#include <string>
#include <vector>

// The option controls of the main window's pages, declared once: the window builds them from this table
// and the tests check the window against it.

enum class OptionKind { CheckBox, SpinEdit, RadioGroup, Edit, ComboBox };

struct OptionControl {
    std::string name; // the control's name, which is the console variable it sets
    OptionKind kind;
    std::string caption; // the control's own caption, or the label beside it
    std::string page;    // the page's name: TabSheetHelp, TabSheetWeapons or TabSheetFx
    std::string group;   // the caption of the group on that page; empty for controls placed on the page itself
    int slot = 0;        // the place within its group, top to bottom
    int first = 0;       // first value: 1 for a ticked box, the spin edit's value, the chosen item (-1 none)
    int min = 0;         // range of a spin edit
    int max = 0;
    std::vector<std::string> items; // items of a radio group or a drop-down list
};

// Every option control, in the order in which the window creates them, which is the order of their keys in
// a settings file.
const std::vector<OptionControl>& OptionControls();

// The groups of one page, in the order in which they are laid out.
std::vector<std::string> OptionGroups(const std::string& page);
