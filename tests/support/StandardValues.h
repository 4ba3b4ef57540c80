#pragma once

#include "config/StandardConfig.h"

// The values of the windows as they stand before any saved state is loaded, with one map mp_x and gametype dm.
StandardConfigValues FirstStandardValues();
