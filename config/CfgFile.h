// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"

#include <string>
#include <vector>

// One line of a server configuration file and what the run log calls it when a character of it is lost: a
// setting name, or an empty text for "<file name> line <N>", N counted from 1.
struct CfgFileLine {
    std::string subject;
    std::string text;
    bool quoteReplaced = false; // a double quote inside the line's value was written as a single quote
};

// `value` between double quotes. The game has no escape for a quote inside a value, so each one is written as a
// single quote, and `replaced` is set then; otherwise it would end the value and the rest would become commands.
std::string QuotedValue(std::string value, bool& replaced);

// Saves `lines` (UTF-8) to `relative` below the game folder as the game reads configuration files: Windows-1252, CR LF
// after every line, the old file replaced whole, each line one line of the file. The game reads one command a line, so
// a control character (a line break, a NUL, a tab...) is written as a blank and logged as "<subject> : control
// character written as a blank"; a character that Windows-1252 cannot hold is written as "?" and logged as
// "<subject> : character written as ?"; a replaced quote is logged as "<subject> : double quote written as '".
// A new file may be read by its owner only (it may hold a password), a replaced one keeps its mode. Throws FileError
// ("Impossible de créer le fichier <path> (<reason>)") when the file cannot be written, or when a link on the way below
// the game folder belongs to someone else than the running user or root; the folder is never created.
void SaveCfgFile(const std::string& gameFolder, const std::string& relative, const std::vector<CfgFileLine>& lines,
                 const LogSink& log);
