// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A colour as three bytes, the way the fog dialog stores it.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};
