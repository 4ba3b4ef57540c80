// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// A ground-floor function that needs the server layer.
std::string UpCall();
