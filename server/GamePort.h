#pragma once

#include <string>
#include <vector>

// The port the server will listen on, as its configuration lines set it: the last "set net_port N" (or seta,
// sets, setu; quotes allowed, letter case ignored) with N from 1 to 65535; DefaultGamePort when none does.
int GamePortOf(const std::vector<std::string>& cfgLines);
