#pragma once

#include "config/StandardConfig.h"

#include <string>
#include <vector>

class QPlainTextEdit;

// Reads the values of "standard.cfg" from the option controls of the windows "MainForm", "FogForm" and
// "MsgForm", the rotation list ListBoxSelectedMaps, and the message lines of MsgMemo. Throws std::logic_error
// naming a window or control that cannot be found.
StandardConfigValues CollectStandardConfigValues();

// The lines of a memo: an empty text has none, and a final line break adds no empty line.
std::vector<std::string> MemoLines(const QPlainTextEdit& memo);
