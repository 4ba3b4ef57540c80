// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"

#include <span>

// What runs each command that the program runs itself, without Qt: those that scripts and monitors call often, for
// which starting Qt would cost more than the work.
std::span<const NamedRun> ProgramCommandRuns();
