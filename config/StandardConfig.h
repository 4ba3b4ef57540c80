#pragma once

#include "config/CfgFile.h"
#include "config/LogSink.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// "standard.cfg": the server options of the three windows, turned into the file that the server executes at start.

// How a control gives its value to the file.
enum class ValueKind {
    CheckBox,   // "1" when ticked, "0" when not
    SpinEdit,   // the number it shows
    RadioGroup, // the index of the chosen item, -1 when none
    Edit,       // its text unchanged
    ComboBox,   // its current text, empty when no item is chosen
};

// One option control that feeds the file: the window that holds it, its name (the cvar name) and its kind.
struct StandardConfigControl {
    std::string_view window;
    std::string_view name;
    ValueKind kind;
};

// The option controls read for the file, in file order (the message lines and the rotation come apart).
const std::vector<StandardConfigControl>& StandardConfigControls();

// The values the file is made of, as the windows hold them. Texts are UTF-8.
struct StandardConfigValues {
    std::map<std::string, bool, std::less<>> ticked;       // check boxes, by control name
    std::map<std::string, int, std::less<>> numbers;       // spin edits and radio groups, by control name
    std::map<std::string, std::string, std::less<>> texts; // edits and drop-downs, by control name
    std::vector<std::string> messageLines;                 // the lines of the messages box, as typed
    std::vector<std::string> selectedMaps;                 // the map rotation, in list order
};

// Composes the lines of "standard.cfg" in file order, logging "<section> : written" after each section.
// Throws std::logic_error when `values` lacks a control of StandardConfigControls().
std::vector<CfgFileLine> ComposeStandardConfig(const StandardConfigValues& values, const LogSink& log);

// Composes the file and saves it as <gameFolder>/<modFolder>/standard.cfg in Windows-1252, CR LF after every
// line (see SaveCfgFile, which also says how lost characters are logged); then logs "Standard cfg : saved".
// Throws FileError ("Impossible de créer le fichier <path> (<reason>)") when the file cannot be written.
void WriteStandardConfig(const StandardConfigValues& values, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log);
