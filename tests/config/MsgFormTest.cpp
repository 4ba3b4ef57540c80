// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/MsgForm.h"

#include "forms/ColorCodeMenu.h"

#include "config/OptionControls.h"
#include "settings/IniFile.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/SpinEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

class MsgFormTest : public testing::Test {
protected:
    template <class T> T* Control(const char* name) { return messages.Find<T>(QString::fromLatin1(name)); }

    ScriptedQuestions questions;
    TMsgForm messages;
};

TEST_F(MsgFormTest, StartsWithItsDesignedControls) {
    EXPECT_EQ(messages.windowTitle(), QStringLiteral("Msg settings"));
    const TSpinEdit* delay = Control<TSpinEdit>("prm_delay");
    EXPECT_EQ(std::tuple(delay->MinValue(), delay->MaxValue(), delay->Value()), std::tuple(30, 300, 30));
    EXPECT_EQ(Control<QLabel>("Label1")->text(), QStringLiteral("Message delay (in seconds)"));
    EXPECT_EQ(Control<QLabel>("LabelExtra1")->text().split(QLatin1Char('\n')),
              (QStringList{QStringLiteral("Type messages in"), QStringLiteral("the text box."),
                           QStringLiteral("One line = one message."), QStringLiteral("Use contextual menu "),
                           QStringLiteral("for colors code")}));
    const TLabelExtra* panel = Control<TLabelExtra>("LabelExtra1");
    EXPECT_EQ(panel->Shape(), dsRoundRect);
    EXPECT_EQ(panel->FontShadow().ShadowStyle(), stNone);
    EXPECT_EQ(panel->Filling(), QBrush(Maroon()));
    EXPECT_EQ(panel->FontColor(), QColor(255, 0, 0)) << "bold red";
    EXPECT_TRUE(panel->font().bold());
    EXPECT_TRUE(panel->AutoCenter());
    EXPECT_EQ(panel->TextDirection(), THorz);
    EXPECT_TRUE(Control<QPlainTextEdit>("MsgMemo")->toPlainText().isEmpty());
    EXPECT_EQ(Control<QPushButton>("CloseButton")->text(), QStringLiteral("Close"));
}

// The delay, the instructions and Close stand in one column, the messages box beside it as tall as the column; every
// line of the instructions shows whole inside the rounded frame, with a character's room at either end and half a
// line's room above and below the text.
TEST_F(MsgFormTest, TheInstructionsShowWholeBetweenTheDelayAndCloseBesideTheMessages) {
    messages.show();
    const QRect caption = Control<QLabel>("Label1")->geometry();
    const QRect delay = Control<TSpinEdit>("prm_delay")->geometry();
    const QRect panel = Control<TLabelExtra>("LabelExtra1")->geometry();
    const QRect close = Control<QPushButton>("CloseButton")->geometry();
    const QRect memo = Control<QPlainTextEdit>("MsgMemo")->geometry();
    for (const QRect& below : {delay, panel, close})
        EXPECT_EQ(std::pair(below.left(), below.width()), std::pair(delay.left(), delay.width()));
    EXPECT_LT(caption.bottom(), delay.top());
    EXPECT_LT(delay.bottom(), panel.top());
    EXPECT_LT(panel.bottom(), close.top());
    EXPECT_GT(memo.left(), std::max(caption.right(), delay.right()));
    EXPECT_EQ(std::pair(memo.top(), memo.bottom()), std::pair(caption.top(), close.bottom()));

    const TLabelExtra* instructions = Control<TLabelExtra>("LabelExtra1");
    const QFontMetrics metrics(instructions->font());
    for (const QString& line : instructions->Lines())
        EXPECT_LE(metrics.horizontalAdvance(line) + 2 * metrics.averageCharWidth(), panel.width())
            << line.toStdString();
    EXPECT_LE(metrics.lineSpacing() * (instructions->Lines().size() + 1), panel.height());
}

TEST_F(MsgFormTest, TheDelayAndTheMessagesTellTheirConsoleVariables) {
    EXPECT_EQ(Control<TSpinEdit>("prm_delay")->toolTip(), QStringLiteral("prm_delay (30 to 300)"));
    EXPECT_EQ(Control<QPlainTextEdit>("MsgMemo")->toolTip(),
              QStringLiteral("prm_message1, prm_message2, ... (one a line)"));
}

TEST_F(MsgFormTest, TheDelayIsClampedWhenTheFocusLeavesAndANonNumberReadsAsTheMinimum) {
    auto* delay = Control<TSpinEdit>("prm_delay");
    auto* text = delay->findChild<QLineEdit*>();
    const std::vector<std::pair<QString, int>> cases = {{QStringLiteral("500"), 300},
                                                        {QStringLiteral("12"), 30},
                                                        {QStringLiteral("45"), 45},
                                                        {QStringLiteral("x"), 30}};
    for (const auto& [typed, value] : cases) {
        text->setText(typed);
        QFocusEvent leave(QEvent::FocusOut);
        QApplication::sendEvent(delay, &leave);
        EXPECT_EQ(delay->Value(), value) << typed.toStdString();
    }
    EXPECT_EQ(text->text(), QStringLiteral("x")) << "a text that is no number stays as typed";
}

TEST_F(MsgFormTest, TheMessagesBoxPopsUpTheColourCodeMenu) {
    auto* memo = Control<QPlainTextEdit>("MsgMemo");
    EXPECT_EQ(memo->contextMenuPolicy(), Qt::DefaultContextMenu);
    TColorCodeMenu menu(nullptr);
    messages.SetColorCodeMenu(menu);
    Q_EMIT memo->customContextMenuRequested(QPoint(4, 4));
    EXPECT_EQ(menu.Field(), memo);
    memo->setPlainText(QStringLiteral("Hello"));
    memo->selectAll();
    menu.C1RefClick(2);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("^2Hello"));
    menu.hide();
}

TEST_F(MsgFormTest, ASettingsFileKeepsTheMessagesButNotTheDelay) {
    TestFolder folder;
    const QString file = QString::fromStdString(folder.File("settings.ini"));
    auto* memo = Control<QPlainTextEdit>("MsgMemo");
    auto* delay = Control<TSpinEdit>("prm_delay");
    memo->setPlainText(QStringLiteral("Hello\n\nBye"));
    delay->SetValue(120);
    SaveWindowSettings(file, {&messages.OptionControls()});
    memo->setPlainText(QStringLiteral("changed"));
    delay->SetValue(200);
    LoadWindowSettings(TIniFile(file), {&messages.OptionControls()});
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hello\n\nBye"));
    EXPECT_EQ(delay->Value(), 200);
    EXPECT_EQ(folder.Read("settings.ini").find("prm_delay"), std::string::npos);
}

TEST_F(MsgFormTest, CloseHidesTheDialogAndKeepsItsValues) {
    messages.show();
    Control<QPlainTextEdit>("MsgMemo")->setPlainText(QStringLiteral("Hello"));
    Control<QPushButton>("CloseButton")->click();
    EXPECT_FALSE(messages.isVisible());
    EXPECT_EQ(Control<QPlainTextEdit>("MsgMemo")->toPlainText(), QStringLiteral("Hello"));
}

} // namespace
