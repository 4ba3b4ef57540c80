// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/AdvancedLines.h"

#include <QObject>

#include <functional>

class QAbstractButton;
class QDialog;
class QListWidget;
class TFormNewSetting;
class TUpDown;

// Shows a dialog modally and returns when it closes; tests replace it to drive the dialog without blocking.
using DialogRunner = std::function<void(QDialog&)>;

// The advanced list of the main window: its buttons, its double-click editing and the comment arrows. The
// window owns the controls; this object connects their handlers and keeps the comment index.
class TAdvancedList : public QObject {
    Q_OBJECT
public:
    // The main window's controls of the advanced list.
    struct Controls {
        QListWidget* ListBoxCfg;
        TUpDown* UpDown1; // minimum 0, increment -1
        QAbstractButton* ButtonUp2;
        QAbstractButton* ButtonDown2;
        QAbstractButton* Button2; // "Insert line"
        QAbstractButton* Button1; // "Insert comment"
        QAbstractButton* ButtonInsertSetting;
        QAbstractButton* ButtonDeleteLine;
    };

    // Connects the handlers to `controls`; `newSetting` gives the "New Setting" dialog, shown through `runDialog`.
    TAdvancedList(const Controls& controls, std::function<TFormNewSetting&()> newSetting, QObject* parent,
                  DialogRunner runDialog);

    // Rebuilds the comment index from the list and sets the arrows' maximum. Run it after the list was loaded.
    void RefreshCommentIndex();
    // The comment lines of the list as of the last refresh.
    const CommentIndex& Comments() const { return comments_; }

    // Handlers.
    void ListBoxCfgDblClick();
    void UpDown1Click();
    void ButtonInsertSettingClick();
    void ButtonDeleteLineClick();
    void Button1Click();
    void Button2Click();
    void ButtonUp2Click();
    void ButtonDown2Click();

private:
    AdvancedLines Lines() const;
    // Shows `list` in the list box when `changed`, and refreshes the comment index.
    void Apply(const AdvancedLines& list, bool changed);

    Controls controls_;
    std::function<TFormNewSetting&()> newSetting_;
    DialogRunner runDialog_;
    CommentIndex comments_;
};
