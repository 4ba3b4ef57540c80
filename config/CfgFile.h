#pragma once

#include "config/LogSink.h"

#include <string>
#include <vector>

// One line of a server configuration file and what the run log calls it when a character of it is lost
// (a setting name, or an empty text for lines that are fixed by the program).
struct CfgFileLine {
    std::string subject;
    std::string text;
};

// Saves `lines` (UTF-8) to `path` as the game reads configuration files: Windows-1252, CR LF after every line,
// the old file replaced whole. A character that Windows-1252 cannot hold is written as "?" and logged as
// "<subject> : character written as ?". Throws std::runtime_error ("Impossible de créer le fichier <path>")
// when the file cannot be written; the folder is never created.
void SaveCfgFile(const std::string& path, const std::vector<CfgFileLine>& lines, const LogSink& log);
