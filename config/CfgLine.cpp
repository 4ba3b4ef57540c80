// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/CfgLine.h"

#include "platform/TextHelpers.h"

#include <algorithm>

CfgLine ParseCfgLine(const std::string& line) {
    CfgLine parsed;
    parsed.Comment = Trim(TextAfterLast(line, "/"));
    parsed.Command = Trim(TextBeforeFirst(line, " "));
    const std::string rest = Trim(TextAfterFirst(line, " "));
    parsed.Name = Trim(TextBeforeFirst(rest, " "));
    const std::string tail = Trim(TextAfterFirst(rest, " "));
    // Cutting at the last quote drops a trailing comment after a quoted value; an unquoted value keeps it.
    parsed.Value = Trim(TextBeforeLast(tail, "\""));
    std::erase(parsed.Value, '"');
    return parsed;
}
