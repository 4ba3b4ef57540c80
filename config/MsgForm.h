// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionControls.h"
#include "forms/Form.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TColorCodeMenu;
class TLabelExtra;
class TSpinEdit;

// "Msg settings": the server messages, one per line, and the delay between them in seconds, read by the
// standard.cfg writer. Settings files keep the messages; the delay starts at its first value with each run of the
// program.
class TMsgForm : public QDialog, public TForm {
    Q_OBJECT
public:
    explicit TMsgForm(QWidget* parent = nullptr);

    // The delay and the messages, as the option table names them.
    const TOptionControls& OptionControls() const { return optionControls_; }
    // Gives the messages box the main window's colour-code menu.
    void SetColorCodeMenu(TColorCodeMenu& menu);

    // Handlers.
    void CloseButtonClick();

private:
    TOptionControls optionControls_;
    QLabel* Label1;
    TSpinEdit* prm_delay;
    TLabelExtra* LabelExtra1;
    QPushButton* CloseButton;
    QPlainTextEdit* MsgMemo;
};
