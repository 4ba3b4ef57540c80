// SPDX-License-Identifier: GPL-3.0-or-later
// A ground-floor header that stands on the configuration layer: the layer check must refuse it.
#pragma once

#include "config/CfgFile.h"
