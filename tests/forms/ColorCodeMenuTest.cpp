// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ColorCodeMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

TEST(ColorCodeMenuTest, ItemsInOrderWithTheirTags) {
    TColorCodeMenu menu(nullptr);
    QStringList captions;
    for (QAction* action : menu.actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions.join(QLatin1Char('|')),
              QStringLiteral("(insert ^1)|(insert ^2)|(insert ^3)|(insert ^4)|(insert ^5)|(insert ^6)|(insert ^7)|"
                             "(insert ^8)|(insert ^9)|(insert ^0)|-|&Copy|&Paste|&Select All|&Undo"));
    EXPECT_EQ(menu.actions()[9]->property("tag").toInt(), 0);
    EXPECT_FALSE(menu.actions()[0]->icon().isNull());
}

TEST(ColorCodeMenuTest, EachColourItemTellsTheColourItGives) {
    TColorCodeMenu menu(nullptr);
    EXPECT_TRUE(menu.toolTipsVisible());
    EXPECT_EQ(menu.actions()[0]->toolTip(),
              QStringLiteral("The text after ^1 shows in red in the game, up to the next colour code"));
    EXPECT_TRUE(menu.actions()[7]->toolTip().contains(QStringLiteral("^8 shows in purple")));
    EXPECT_TRUE(menu.actions()[9]->toolTip().contains(QStringLiteral("^0 shows in black")));
}

TEST(ColorCodeMenuTest, PutsTheCodeInFrontOfTheSelectionOrAtTheCaret) {
    TColorCodeMenu menu(nullptr);
    QLineEdit edit(QStringLiteral("xabcx"));
    menu.SetField(&edit);
    edit.setSelection(1, 3);
    menu.actions()[3]->trigger(); // (insert ^4)
    EXPECT_EQ(edit.text(), QStringLiteral("x^4abcx"));
    edit.setCursorPosition(0);
    menu.actions()[9]->trigger(); // (insert ^0)
    EXPECT_EQ(edit.text(), QStringLiteral("^0x^4abcx"));

    QPlainTextEdit memo(QStringLiteral("Hello"));
    menu.SetField(&memo);
    memo.selectAll();
    menu.C1RefClick(1);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("^1Hello"));
    menu.Undo1Click();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("Hello"));
}

TEST(ColorCodeMenuTest, CopyPasteAndSelectAllWorkOnTheFieldTheMenuWasOpenedOn) {
    TColorCodeMenu menu(nullptr);
    QLineEdit source(QStringLiteral("hello world"));
    QLineEdit other(QStringLiteral("x"));
    source.setContextMenuPolicy(Qt::CustomContextMenu);
    menu.AttachTo(&source);
    menu.AttachTo(&other);
    Q_EMIT source.customContextMenuRequested(QPoint(1, 1));
    menu.close();
    ASSERT_EQ(menu.Field(), &source);
    menu.SelectAll1Click();
    EXPECT_EQ(source.selectedText(), QStringLiteral("hello world"));
    EXPECT_FALSE(other.hasSelectedText());
    source.setSelection(0, 5);
    menu.Copy1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("hello"));

    Q_EMIT other.customContextMenuRequested(QPoint(1, 1));
    menu.close();
    other.setCursorPosition(1);
    menu.Paste1Click();
    EXPECT_EQ(other.text(), QStringLiteral("xhello"));
    EXPECT_EQ(source.text(), QStringLiteral("hello world"));
}

} // namespace
