// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FormNewSetting.h"

#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "forms/TabOrder.h"
#include "widgets/RadioGroup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int ExecItem = 3;

} // namespace

TFormNewSetting::TFormNewSetting(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), TForm(*this, "FormNewSetting") {
    setWindowTitle(QStringLiteral("New Setting"));
    setFont(DialogFont());
    setFixedSize(299, 188);
    RadioGroupType = Own<TRadioGroup>(
        QStringLiteral("RadioGroupType"), QStringLiteral("Type"),
        QStringList{QStringLiteral("seta"), QStringLiteral("set"), QStringLiteral("sets"), QStringLiteral("exec")}, 4,
        this);
    RadioGroupType->setGeometry(8, 8, 283, 41);
    RadioGroupType->SetItemIndex(0);
    Label1 = Own<QLabel>(QStringLiteral("Label1"), QStringLiteral("Cvar Name"), this);
    Label1->setGeometry(8, 56, 283, 16);
    EditCvar = Own<QLineEdit>(QStringLiteral("EditCvar"), this);
    EditCvar->setGeometry(8, 72, 283, 21);
    Label2 = Own<QLabel>(QStringLiteral("Label2"), QStringLiteral("Cvar Value"), this);
    Label2->setGeometry(8, 100, 283, 16);
    EditVal = Own<QLineEdit>(QStringLiteral("EditVal"), this);
    EditVal->setGeometry(8, 116, 283, 21);
    ButtonOK = Own<QPushButton>(QStringLiteral("ButtonOK"), QStringLiteral("OK"), this);
    ButtonOK->setGeometry(64, 152, 75, 25);
    ButtonDone = Own<QPushButton>(QStringLiteral("ButtonDone"), QStringLiteral("Cancel"), this);
    ButtonDone->setGeometry(160, 152, 75, 25);

    SetTabOrderByScreen(*this); // type, name, value, OK, Cancel

    ConnectGuarded(RadioGroupType, &TRadioGroup::Clicked, this, &TFormNewSetting::RadioGroupTypeClick);
    ConnectGuarded(ButtonOK, &QPushButton::clicked, this, &TFormNewSetting::ButtonOKClick);
    ConnectGuarded(ButtonDone, &QPushButton::clicked, this, &TFormNewSetting::ButtonDoneClick);
}

QString TFormNewSetting::NewLine() const {
    return RadioGroupType->Item(RadioGroupType->ItemIndex()) + QLatin1Char(' ') + EditCvar->text() + QLatin1Char(' ') +
           EditVal->text();
}

void TFormNewSetting::FormShow() {
    cancelled_ = false;
    EditCvar->clear();
    EditVal->clear();
}

void TFormNewSetting::RadioGroupTypeClick() {
    const bool exec = RadioGroupType->ItemIndex() == ExecItem;
    EditVal->setVisible(!exec);
    Label2->setVisible(!exec);
    Label1->setText(exec ? QStringLiteral("File to execute") : QStringLiteral("Cvar Name"));
}

void TFormNewSetting::ButtonOKClick() {
    if (EditCvar->text().isEmpty() && EditVal->text().isEmpty())
        cancelled_ = true;
    else if (RadioGroupType->ItemIndex() != ExecItem)
        EditVal->setText(QLatin1Char('"') + EditVal->text() + QLatin1Char('"'));
    accept();
}

void TFormNewSetting::ButtonDoneClick() {
    reject();
}

void TFormNewSetting::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window manager restoring the dialog is no new use of it.
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
}

void TFormNewSetting::reject() {
    cancelled_ = true;
    QDialog::reject();
}
