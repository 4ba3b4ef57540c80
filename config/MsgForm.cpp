// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/MsgForm.h"

#include "config/OptionTable.h"
#include "forms/ColorCodeMenu.h"
#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "platform/Utf8Text.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/SpinEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Room round the instructions inside their rounded frame.
constexpr int PanelMargin = 12;
// The messages box shows about this many characters of a line, its scroll bar included.
constexpr int MemoColumns = 55;
// Room above and below the instructions, and between the column and the messages.
constexpr int PanelGap = 4;
constexpr int CloseGap = 7;
constexpr int ColumnGap = 7;

} // namespace

TMsgForm::TMsgForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), TForm(*this, "MsgForm") {
    setWindowTitle(QStringLiteral("Msg settings"));
    setFont(DialogFont());

    const Option& delay = OptionNamed("MsgForm", "prm_delay");
    Label1 = Own<QLabel>(QStringLiteral("Label1"), FromUtf8(delay.caption), this);
    prm_delay =
        optionControls_.Bind(delay, Own<TSpinEdit>(FromUtf8(delay.name), delay.min, delay.max, delay.first, this));

    // The instruction panel: bold red text centred on a maroon rounded frame, without a shadow.
    LabelExtra1 = Own<TLabelExtra>(QStringLiteral("LabelExtra1"), this);
    LabelExtra1->SetLines({QStringLiteral("Type messages in"), QStringLiteral("the text box."),
                           QStringLiteral("One line = one message."), QStringLiteral("Use contextual menu "),
                           QStringLiteral("for colors code")});
    LabelExtra1->setMargin(PanelMargin);
    QFont bold = LabelExtra1->font();
    bold.setBold(true);
    LabelExtra1->setFont(bold);
    LabelExtra1->SetFontColor(RedOnMaroon());
    LabelExtra1->SetFilling(Maroon());
    LabelExtra1->SetShape(dsRoundRect);
    LabelExtra1->FontShadow().SetShadowStyle(stNone);

    CloseButton = Own<QPushButton>(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);
    CloseButton->setAutoDefault(false); // Enter in the delay field does not close the dialog

    const Option& messages = OptionNamed("MsgForm", "MsgMemo");
    MsgMemo = optionControls_.Bind(messages, Own<QPlainTextEdit>(FromUtf8(messages.name), this));
    MsgMemo->setMinimumWidth(MsgMemo->fontMetrics().averageCharWidth() * MemoColumns);
    MsgMemo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored); // as tall as the column beside it
    MsgMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves to the next control, as everywhere in the dialog; a message has no use for a tab character.
    MsgMemo->setTabChangesFocus(true);
    MsgMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MsgMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // The delay, the instructions and Close in a column; the messages beside them.
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(Label1);
    column->addWidget(prm_delay);
    column->addSpacing(PanelGap);
    column->addWidget(LabelExtra1, 1);
    column->addSpacing(CloseGap);
    column->addWidget(CloseButton);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 7, 10);
    layout->setSpacing(ColumnGap);
    layout->addLayout(column);
    layout->addWidget(MsgMemo);
    // The dialog keeps the size that shows all of its controls.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ConnectGuarded(CloseButton, &QPushButton::clicked, this, &TMsgForm::CloseButtonClick);
}

void TMsgForm::SetColorCodeMenu(TColorCodeMenu& menu) {
    menu.AttachTo(MsgMemo);
}

void TMsgForm::CloseButtonClick() {
    close();
}
