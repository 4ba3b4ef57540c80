// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/CfgFile.h"
#include "config/OptionValues.h"
#include "platform/Instance.h"
#include "platform/LogSink.h"

#include <string>
#include <vector>

// "standard.cfg": the server options of the three windows, turned into the file that the server executes at start.

// Composes the lines of "standard.cfg" in file order, logging "<section> : written" after each section.
// Throws std::logic_error when `values` lacks an option that the file is made of.
std::vector<CfgFileLine> ComposeStandardConfig(const OptionValues& values, const LogSink& log);

// The file's name for `instance`: "standard.cfg", "standard-NAME.cfg" for the instance NAME.
std::string StandardConfigName(const Instance& instance);

// Composes the file and saves it as <gameFolder>/<modFolder>/StandardConfigName(instance) in Windows-1252, CR LF
// after every line (see CfgFileText, which also says how lost characters are logged); then logs "Standard cfg :
// saved". Throws FileError ("Impossible de créer le fichier <path> (<reason>)") when the file cannot be written.
void WriteStandardConfig(const OptionValues& values, const std::string& gameFolder, const std::string& modFolder,
                         const Instance& instance, const LogSink& log);
