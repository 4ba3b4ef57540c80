// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"

#include <string>
#include <vector>

class QPlainTextEdit;

// Reads the value of every option of the table from its control in the windows "MainForm", "FogForm" and
// "MsgForm". Throws std::logic_error naming a window or control that cannot be found.
OptionValues CollectOptionValues();

// The lines of a memo: an empty text has none, and a final line break adds no empty line.
std::vector<std::string> MemoLines(const QPlainTextEdit& memo);
