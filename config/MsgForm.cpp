// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/MsgForm.h"

#include "config/OptionTable.h"
#include "forms/ColorCodeMenu.h"
#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "platform/Utf8Text.h"
#include "settings/SvgEditIni.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/SpinEdit.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

TMsgForm::TMsgForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), TForm(*this, "MsgForm") {
    setWindowTitle(QStringLiteral("Msg settings"));
    setFont(DialogFont());
    setFixedSize(528, 195);
    move(310, 114);

    const Option& delay = OptionNamed("MsgForm", "prm_delay");
    Label1 = Own<QLabel>(QStringLiteral("Label1"), FromUtf8(delay.caption), this);
    Label1->move(8, 8);
    Label1->adjustSize();
    prm_delay =
        optionControls_.Bind(delay, Own<TSpinEdit>(FromUtf8(delay.name), delay.min, delay.max, delay.first, this));
    prm_delay->setGeometry(8, 24, 145, 22);

    // The instruction panel: bold red text centred on a maroon rounded frame, without a shadow.
    LabelExtra1 = Own<TLabelExtra>(QStringLiteral("LabelExtra1"), this);
    LabelExtra1->SetLines({QStringLiteral("Type messages in"), QStringLiteral("the text box."),
                           QStringLiteral("One line = one message."), QStringLiteral("Use contextual menu "),
                           QStringLiteral("for colors code")});
    LabelExtra1->setGeometry(8, 50, 145, 103);
    QFont bold = LabelExtra1->font();
    bold.setBold(true);
    LabelExtra1->setFont(bold);
    LabelExtra1->SetFontColor(RedOnMaroon());
    LabelExtra1->SetFilling(Maroon());
    LabelExtra1->SetShape(dsRoundRect);
    LabelExtra1->FontShadow().SetShadowStyle(stNone);

    CloseButton = Own<QPushButton>(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);
    CloseButton->setGeometry(8, 160, 145, 25);
    CloseButton->setAutoDefault(false); // Enter in the delay field does not close the dialog

    const Option& messages = OptionNamed("MsgForm", "MsgMemo");
    MsgMemo = optionControls_.Bind(messages, Own<QPlainTextEdit>(FromUtf8(messages.name), this));
    // Clear of the delay's caption whatever the font's width; the dialog keeps its size.
    const int memoLeft = std::max(160, Label1->geometry().right() + 6);
    MsgMemo->setGeometry(memoLeft, 8, 521 - memoLeft, 177);
    MsgMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MsgMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MsgMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ConnectGuarded(CloseButton, &QPushButton::clicked, this, &TMsgForm::CloseButtonClick);

    // The messages are part of every settings file; the delay starts at 30 with each run of the program.
    auto* settings = Own<TSvgEditIni>(QStringLiteral("SvgEditIni1"), *this);
    settings->SauveOptions = TSvgEditIni::sSeulementTagVaut0;
    settings->SauveEdit = false;
    settings->SauveDateTimePicker = false;
    settings->SauveCheckBox = false;
    settings->SauveSpinEdit = false;
    settings->SauveMemo = true;
}

void TMsgForm::SetColorCodeMenu(TColorCodeMenu& menu) {
    menu.AttachTo(MsgMemo);
}

void TMsgForm::CloseButtonClick() {
    close();
}
