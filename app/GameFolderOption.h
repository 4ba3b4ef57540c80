// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Why a command cannot use the game folder `folder` given with --game ("game folder DIR: " and the system's
// reason); empty when it is a folder.
std::string UnusableGameFolder(const std::string& folder);
