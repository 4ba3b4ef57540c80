#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The value that configuration lines give the console variable `name`, as the game reads them: the last line
// "set NAME VALUE" (or seta, sets, setu; letter case ignored) sets it, and its value is the rest of the line's
// words (blanks separate them, double quotes group them, "//" ends the line), joined by one blank. Nullopt when no line
// sets it.
std::optional<std::string> CvarSetBy(const std::vector<std::string>& cfgLines, std::string_view name);

// The port the server will listen on, as its configuration lines set it: the last "set net_port N" (or seta,
// sets, setu; quotes allowed, letter case ignored) with N from 1 to 65535; DefaultGamePort when none does.
int GamePortOf(const std::vector<std::string>& cfgLines);
