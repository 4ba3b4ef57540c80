// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The font of the small dialogs: "MS Sans Serif" 8 point, else a sans serif of about its width, so that they keep
// about the size they were designed at.
QFont DialogFont();
