// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"

class TIniFile;

// Loads the kept options of a settings file into `values`, for the commands and for the windows, which show
// them in their controls: an option whose key or section the file lacks keeps its value, a spin edit's
// number is brought into its range, a radio group's index that names no item chooses none, and a drop-down list
// takes the saved items and the saved choice when it names one of them.
void LoadStoredOptions(const TIniFile& ini, OptionValues& values);

// Writes the kept options that `values` holds into `ini`, in the order of the table, as the windows have always
// saved them: a text, a check mark as "1" or "0" and a number under the window's section and the option's name;
// the items of a list in a section of their own ("MainFormListBoxCfg": L0, L1, ..., then ItemIndex, the chosen
// item or row, 0 for a memo), rewritten whole. Every other section and key of `ini` stays.
void SaveStoredOptions(TIniFile& ini, const OptionValues& values);
