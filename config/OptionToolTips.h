// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TForm;

// Gives every option control of `form` its tooltip from the option table: the console variable it sets and, for a
// number, its range.
void ShowOptionToolTips(const TForm& form);
