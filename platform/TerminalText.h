// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Texts that come from outside (an archive's member names, a server's output and names) reach the terminal and the
// run log; none of them may move the cursor, start an escape sequence, break a line or turn the writing direction.

// True for a character that could do so: a C0 or C1 control character, DEL, a line or paragraph separator
// (U+2028, U+2029), or a bidirectional embedding, override or isolate (U+202A to U+202E, U+2066 to U+2069).
bool IsUnsafeForTerminal(char32_t c);

// `text` with each such character written as an escape ("\x1b", "\u202e") and each byte that is not part of valid
// UTF-8 as "\xNN"; everything else, a backslash included, stays as it is.
std::string TerminalSafe(std::string_view text);
