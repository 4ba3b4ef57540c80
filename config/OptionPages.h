// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QComboBox;
class QGridLayout;
class QLineEdit;
class QTabWidget;
class QWidget;
class TForm;
class TOptionControls;
struct Option;

// Option controls built from the option table: each is owned by its window, recorded in the window's option controls,
// and starts at the option's first value.

// Room between a caption and the field beside it.
inline constexpr int OptionCaptionGap = 6;

// The field of an edit option, holding the option's first text.
QLineEdit* MakeOptionEdit(TForm& form, const Option& option, QWidget* parent, TOptionControls& controls);
// The drop-down list of a combo box option, with its first items and choice.
QComboBox* MakeOptionComboBox(TForm& form, const Option& option, QWidget* parent, TOptionControls& controls);

// Adds the pages of options to `pages`, each with its groups of controls. Returns the grid of the controls placed
// on the effects page itself, where the window adds the button of its fog dialog.
QGridLayout& AddOptionPages(TForm& form, QTabWidget& pages, TOptionControls& controls);
