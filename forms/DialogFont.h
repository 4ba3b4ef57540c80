// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The font the windows are laid out for: "MS Sans Serif" 8 point, else a sans serif of about its width, so that
// the fixed layouts keep their labels clear of their fields.
QFont DialogFont();
