#pragma once

#include "config/LogSink.h"

#include <string>
#include <vector>

// One line of a file the game reads, with the subject that the run log names when the line loses a character.
struct CfgFileLine {
    std::string subject;
    std::string text;
};

// Saves `lines` (UTF-8) as a file the game reads: Windows-1252, CR LF after every line, replacing the old file
// whole. A character that Windows-1252 cannot hold is written as "?" and logged as
// "<subject> : character written as ?". Throws std::runtime_error when the file cannot be written.
void SaveCfgFile(const std::string& path, const std::vector<CfgFileLine>& lines, const LogSink& log);
