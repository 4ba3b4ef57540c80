// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// `text` (UTF-8) as a JSON string, quotes included: the quote, the backslash and the control characters escaped
// (\b \f \n \r \t, the others as \u00XX), everything else as it stands; a byte that is no part of a UTF-8
// character becomes U+FFFD, so that the output is always valid UTF-8.
std::string JsonString(std::string_view text);
