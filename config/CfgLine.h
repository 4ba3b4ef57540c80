// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// One line of "advanced.cfg" taken apart into its words. The line grammar: a setting is command, blank, cvar
// name, blank, value (quoted when the program wrote it); an exec line is "exec", blank, file name; a comment
// line starts with "//".
struct CfgLine {
    std::string Command; // the first word
    std::string Name;    // the second word: the cvar name, or the file name of an exec line
    std::string Value;   // the rest after the name, cut at its closing quote, without double quotes
    std::string Comment; // the text after the last "/"
};

// Takes `line` apart. A line that starts with a blank has an empty Command; a single word W gives W as Command,
// Name and Value; a line without "/" gives the whole trimmed line as Comment.
CfgLine ParseCfgLine(const std::string& line);
