// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

// A period as the run log gives it: "N s", N in seconds with its fraction when it has one ("3 s", "0.5 s").
std::string SecondsText(std::chrono::milliseconds period);
