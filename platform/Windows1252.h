// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The game and Windows-made files speak Windows-1252; the program's own texts are UTF-8.

// Converts UTF-8 text to Windows-1252. A character that Windows-1252 cannot hold becomes "?" and sets
// *lost (when given) to true; invalid UTF-8 bytes count as lost characters too.
std::string EncodeWindows1252(std::string_view utf8, bool* lost = nullptr);
// The same, appended to `out`.
void AppendWindows1252(std::string& out, std::string_view utf8, bool* lost = nullptr);

// Converts Windows-1252 bytes to UTF-8.
std::string DecodeWindows1252(std::string_view bytes);
// The same, in place: the text is never held twice.
void DecodeWindows1252InPlace(std::string& text);

// Decodes the UTF-8 sequence at `pos` of `text` into `cp`; its length, 0 when it is malformed (overlong, a
// surrogate, cut short).
std::size_t DecodeUtf8At(std::string_view text, std::size_t pos, char32_t& cp);

// True when `bytes` is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// UTF-8 text unchanged when it is valid UTF-8, else the bytes read as Windows-1252.
std::string DecodeUtf8OrWindows1252(std::string_view bytes);

// Converts code page 437 bytes (the OEM code page of DOS, used by zip tools for names) to UTF-8.
std::string DecodeCodePage437(std::string_view bytes);
