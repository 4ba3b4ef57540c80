// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Letter case as the game, the store and the server's replies fold it: only the ASCII letters, whatever the
// locale, so that a byte of Windows-1252 or UTF-8 never changes.

// `text` with the letters a-z turned into A-Z and every other byte unchanged.
std::string UpperCaseAscii(std::string text);
// `text` with the letters A-Z turned into a-z and every other byte unchanged.
std::string LowerCaseAscii(std::string text);

// True when `a` and `b` are equal once both are folded.
bool SameTextAscii(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, letter case folded.
bool StartsWithAscii(std::string_view text, std::string_view prefix);
