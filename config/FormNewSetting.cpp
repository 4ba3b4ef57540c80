// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FormNewSetting.h"

#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "forms/TabOrder.h"
#include "widgets/RadioGroup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <initializer_list>

namespace {

constexpr int ExecItem = 3;
// The fields show a long cvar name or value whole.
constexpr int FieldCharacters = 47;
// Room between a field and the caption below it, above the buttons, and between the two buttons.
constexpr int FieldGap = 7;
constexpr int ButtonsGap = 15;
constexpr int ButtonGap = 21;

} // namespace

TFormNewSetting::TFormNewSetting(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), TForm(*this, "FormNewSetting") {
    setWindowTitle(QStringLiteral("New Setting"));
    setFont(DialogFont());
    RadioGroupType = Own<TRadioGroup>(
        QStringLiteral("RadioGroupType"), QStringLiteral("Type"),
        QStringList{QStringLiteral("seta"), QStringLiteral("set"), QStringLiteral("sets"), QStringLiteral("exec")}, 4,
        this);
    RadioGroupType->SetItemIndex(0);
    Label1 = Own<QLabel>(QStringLiteral("Label1"), QStringLiteral("Cvar Name"), this);
    EditCvar = Own<QLineEdit>(QStringLiteral("EditCvar"), this);
    EditCvar->setMinimumWidth(EditCvar->fontMetrics().averageCharWidth() * FieldCharacters);
    Label2 = Own<QLabel>(QStringLiteral("Label2"), QStringLiteral("Cvar Value"), this);
    EditVal = Own<QLineEdit>(QStringLiteral("EditVal"), this);
    // An exec line has no value: its caption and field hide, leaving their room so that nothing else moves.
    for (QWidget* value : std::initializer_list<QWidget*>{Label2, EditVal}) {
        QSizePolicy policy = value->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        value->setSizePolicy(policy);
    }
    ButtonOK = Own<QPushButton>(QStringLiteral("ButtonOK"), QStringLiteral("OK"), this);
    ButtonDone = Own<QPushButton>(QStringLiteral("ButtonDone"), QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addSpacing(ButtonGap);
    buttons->addWidget(ButtonDone);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 11);
    layout->setSpacing(0);
    layout->addWidget(RadioGroupType);
    layout->addSpacing(FieldGap);
    layout->addWidget(Label1);
    layout->addWidget(EditCvar);
    layout->addSpacing(FieldGap);
    layout->addWidget(Label2);
    layout->addWidget(EditVal);
    layout->addSpacing(ButtonsGap);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

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
    // Typing goes into the name at once; the type is seta unless changed.
    EditCvar->setFocus();
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
