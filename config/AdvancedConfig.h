// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"
#include "platform/LineList.h"
#include "platform/LogSink.h"

#include <optional>
#include <string>
#include <vector>

// The file's name for `instance`: "advanced.cfg", "advanced-NAME.cfg" for the instance NAME.
std::string AdvancedConfigName(const Instance& instance);
// The instance whose AdvancedConfigName `fileName` is; nullopt when it is no instance's.
std::optional<Instance> AdvancedConfigInstance(const std::string& fileName);

// Saves the advanced list's lines as <gameFolder>/<modFolder>/AdvancedConfigName(instance), each as one line of
// the file, then logs "Adavanced cfg : saved". The lines are written as typed, except what the game could not read as
// meant: in a setting line whose value is one quoted string, <command> <name> "<value>", with nothing after it, a
// double quote inside the value becomes a single quote (a value holding "//" or ";" counts as more than one string);
// see CfgFileText for control characters and characters that Windows-1252 lacks. Each change is logged under
// "advanced.cfg line <N>", counted from 1. Throws FileError when the file cannot be written.
void WriteAdvancedConfig(const LineList& lines, const std::string& gameFolder, const std::string& modFolder,
                         const Instance& instance, const LogSink& log);
