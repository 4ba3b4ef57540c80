// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Text rules shared by the cfg line reader, the advanced list, the standard.cfg writer and the map scan. Texts are
// UTF-8; delimiters are ASCII.

// The part of `text` before the first occurrence of any character of `delimiters`; the whole text when none occurs.
std::string TextBeforeFirst(std::string_view text, std::string_view delimiters);
// The part of `text` after the first occurrence of any character of `delimiters`; the whole text when none occurs.
std::string TextAfterFirst(std::string_view text, std::string_view delimiters);
// The part of `text` before the last occurrence of any character of `delimiters`; the whole text when none occurs.
std::string TextBeforeLast(std::string_view text, std::string_view delimiters);
// The part of `text` after the last occurrence of any character of `delimiters`; the whole text when none occurs.
std::string TextAfterLast(std::string_view text, std::string_view delimiters);

// `text` without blanks and control characters (codes 0 to 32) at either end.
std::string Trim(std::string_view text);

// True when the two texts are equal with letter case ignored (any alphabet, not only ASCII).
bool SameText(std::string_view a, std::string_view b);
