// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// The values of the option controls, by control name, as the windows hold them. Texts are UTF-8.
struct OptionValues {
    std::map<std::string, bool, std::less<>> ticked; // check boxes
    // spin edits, radio groups, and the chosen item of drop-downs and list boxes (-1 none)
    std::map<std::string, int, std::less<>> numbers;
    std::map<std::string, std::string, std::less<>> texts; // edits, and the chosen item's text of drop-downs
    std::map<std::string, LineList, std::less<>> lines;    // memos and list boxes, top to bottom

    // The value of an option of each kind. Throws std::logic_error naming an option that has none.
    bool Ticked(std::string_view name) const;
    int Number(std::string_view name) const;
    const std::string& Text(std::string_view name) const;
    const LineList& Lines(std::string_view name) const;

    // The options that the program reads by themselves.
    // The folder that holds cod_lnxded or CoDMP.exe.
    const std::string& GameFolder() const;
    void SetGameFolder(std::string folder);
    // The server type: 0 none, 1 local, 2 internet, -1 none chosen.
    int Dedicated() const;
    // The lines of advanced.cfg, kept verbatim.
    const LineList& AdvancedLines() const;
    // The maps of the rotation, in their order.
    const LineList& Rotation() const;
    LineList& Rotation();
    // The code of the chosen gametype; empty when none is chosen.
    const std::string& Gametype() const;
};

struct Option;

// Copies the value of `option` from `from` (which must hold it) into `to`: for a drop-down, its items, its chosen
// item and that item's text.
void CopyOptionValue(const OptionValues& from, const Option& option, OptionValues& to);

// The values the options have before any settings are loaded, as the table gives them. The density keeps the
// table's point: standard.cfg writes it with a point whatever separator it was typed with.
OptionValues FirstOptionValues();
