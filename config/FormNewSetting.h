// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Form.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TRadioGroup;

// "New Setting": asks for the type, the cvar name (or file name) and the value of a new advanced line.
// Created once and reused, so the chosen type and the look that goes with it carry over between uses.
class TFormNewSetting : public QDialog, public TForm {
    Q_OBJECT
public:
    explicit TFormNewSetting(QWidget* parent = nullptr);

    // True when the last use ended without a line to insert (Cancel, Escape, or OK with both fields empty).
    bool Cancelled() const { return cancelled_; }
    // The line the last use made: chosen type, blank, name, blank, value.
    QString NewLine() const;

    // Handlers.
    void FormShow();
    void RadioGroupTypeClick();
    void ButtonOKClick();
    void ButtonDoneClick();

protected:
    void showEvent(QShowEvent* event) override;

public Q_SLOTS:
    // Escape and the close box cancel, like ButtonDone.
    void reject() override;

private:
    TRadioGroup* RadioGroupType;
    QLabel* Label1;
    QLineEdit* EditCvar;
    QLabel* Label2;
    QLineEdit* EditVal;
    QPushButton* ButtonOK;
    QPushButton* ButtonDone;
    bool cancelled_ = false;
};
