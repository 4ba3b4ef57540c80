#pragma once

#include "config/LogSink.h"

#include <string>
#include <vector>

// Saves the advanced list's lines unchanged as <gameFolder>/<modFolder>/advanced.cfg (see SaveCfgFile; a lost
// character is logged under "advanced.cfg line <N>", counted from 1), then logs "Adavanced cfg : saved".
// Throws std::runtime_error ("Impossible de créer le fichier <path>") when the file cannot be written.
void WriteAdvancedConfig(const std::vector<std::string>& lines, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log);
