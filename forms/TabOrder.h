// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Puts the controls of `window` in the Tab order in which they stand on the screen: the items of each layout in
// their order (a grid row by row, a form label by label), and controls placed by hand top to bottom, then left to
// right along a row. A control that takes the focus is one stop (its own parts are not visited); the pages of a
// tab control follow its tab bar, each in its own order, so every page is walked in screen order when shown.
void SetTabOrderByScreen(QWidget& window);
