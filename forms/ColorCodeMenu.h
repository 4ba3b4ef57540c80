// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMenu>
#include <QPointer>

// The context menu of the text fields that the game shows to players: it puts the game's colour codes
// ("^" and a digit) in front of the selection, and offers copy, paste, select all and undo. Every action
// works on the field on which the menu was opened.
class TColorCodeMenu : public QMenu {
    Q_OBJECT
public:
    explicit TColorCodeMenu(QWidget* parent);

    // Gives `field` (a line edit or a plain text edit) this menu as its context menu.
    void AttachTo(QWidget* field);

    // Opens the menu at the global point `where` for `field`.
    void PopupFor(QWidget& field, const QPoint& where);

    // The field the menu was last opened on; nullptr before.
    QWidget* Field() const { return field_; }
    void SetField(QWidget* field) { field_ = field; }

    // Puts "^" and `digit` in front of the field's selection, or at the caret when nothing is selected.
    void C1RefClick(int digit);
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void Undo1Click();

private:
    QPointer<QWidget> field_;
};
