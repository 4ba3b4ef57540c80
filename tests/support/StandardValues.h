// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"

#include <string>
#include <vector>

// The values of the windows as they stand before any saved state is loaded, with one map mp_x and gametype dm.
OptionValues FirstStandardValues();

// The ten run log lines that writing "standard.cfg" logs, one a section, in order (the save line not included).
const std::vector<std::string>& StandardSectionLog();
