// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"

class TIniFile;

// Loads the kept options of a settings file into `values` without any window, as the windows' settings store
// loads them into their controls: an option whose key or section the file lacks keeps its value, a spin edit's
// number is brought into its range, a radio group's index that names no item chooses none, and a drop-down list
// takes the saved items and the saved choice when it names one of them.
void LoadStoredOptions(const TIniFile& ini, OptionValues& values);
