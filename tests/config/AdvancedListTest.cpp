// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedList.h"

#include "config/FormNewSetting.h"
#include "platform/Utf8Text.h"
#include "settings/ItemTexts.h"
#include "support/ScriptedQuestions.h"
#include "widgets/UpDown.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Lines = std::vector<std::string>;

// What the user does in the "New Setting" dialog once it is shown.
using DialogScript = std::function<void(TFormNewSetting&)>;

// The advanced list's controls on a window of their own, and the "New Setting" dialog driven by a script
// instead of a modal loop.
class AdvancedListTest : public testing::Test {
protected:
    AdvancedListTest()
        : list(new QListWidget(&window)), arrows(new TUpDown(0, 0, -1, &window)),
          advanced(
              TAdvancedList::Controls{list, arrows, Button("ButtonUp2"), Button("ButtonDown2"), Button("Button2"),
                                      Button("Button1"), Button("ButtonInsertSetting"), Button("ButtonDeleteLine")},
              [this]() -> TFormNewSetting& { return newSetting; }, &window,
              [this](QDialog& dialog) {
                  dialog.show();
                  if (script)
                      script(newSetting);
                  ++dialogRuns;
              }) {}

    QPushButton* Button(const char* name) {
        auto* button = new QPushButton(&window);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    }
    void Click(const char* name) { window.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }

    void Load(const Lines& lines, int selected) {
        list->clear();
        for (const auto& line : lines)
            list->addItem(QString::fromStdString(line));
        list->setCurrentRow(selected);
        advanced.RefreshCommentIndex();
    }
    Lines Items() const { return Utf8Lines(ItemTexts(*list)); }
    int Selected() const {
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.first());
    }

    ScriptedQuestions questions;
    QWidget window;
    QListWidget* list;
    TUpDown* arrows;
    TFormNewSetting newSetting;
    DialogScript script;
    int dialogRuns = 0;
    TAdvancedList advanced;
};

template <class T> T* Child(TFormNewSetting& dialog, const char* name) {
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

void ChooseType(TFormNewSetting& dialog, int item) {
    Child<QWidget>(dialog, "RadioGroupType")->findChildren<QRadioButton*>().at(item)->click();
}

// Chooses a type, types a name and a value, then presses a button ("ButtonOK", "ButtonDone") or Escape.
DialogScript Answer(int type, QString name, QString value, const char* button) {
    return [=](TFormNewSetting& dialog) {
        ChooseType(dialog, type);
        Child<QLineEdit>(dialog, "EditCvar")->setText(name);
        Child<QLineEdit>(dialog, "EditVal")->setText(value);
        if (button)
            Child<QPushButton>(dialog, button)->click();
        else
            dialog.reject();
    };
}

struct NewSettingCase {
    const char* what;
    DialogScript script;
    std::optional<std::string> inserted;
};

TEST_F(AdvancedListTest, InsertSettingAddsTheDialogsLineBelowTheSelection) {
    const auto typeValueThenExec = [](TFormNewSetting& dialog) {
        Child<QLineEdit>(dialog, "EditCvar")->setText(QStringLiteral("file"));
        Child<QLineEdit>(dialog, "EditVal")->setText(QStringLiteral("v"));
        ChooseType(dialog, 3);
        Child<QPushButton>(dialog, "ButtonOK")->click();
    };
    const std::vector<NewSettingCase> cases = {
        {"seta with a value", Answer(0, QStringLiteral("sv_hostname"), QStringLiteral("My server"), "ButtonOK"),
         "seta sv_hostname \"My server\""},
        {"sets with an empty value", Answer(2, QStringLiteral("name"), QString(), "ButtonOK"), "sets name \"\""},
        {"set with an empty name", Answer(1, QString(), QStringLiteral("value"), "ButtonOK"), "set  \"value\""},
        {"exec keeps the empty value", Answer(3, QStringLiteral("server.cfg"), QString(), "ButtonOK"),
         "exec server.cfg "},
        {"a value typed before choosing exec", typeValueThenExec, "exec file v"},
        {"OK with both fields empty", Answer(0, QString(), QString(), "ButtonOK"), std::nullopt},
        {"Cancel", Answer(0, QStringLiteral("x"), QStringLiteral("1"), "ButtonDone"), std::nullopt},
        {"Escape", Answer(0, QStringLiteral("x"), QStringLiteral("1"), nullptr), std::nullopt},
    };
    for (const auto& c : cases) {
        Load({"// A", "b"}, 0);
        script = c.script;
        Click("ButtonInsertSetting");
        Lines expected = {"// A", "b"};
        if (c.inserted)
            expected.insert(expected.begin() + 1, *c.inserted);
        EXPECT_EQ(Items(), expected) << c.what;
        EXPECT_EQ(Selected(), 0) << c.what;
        EXPECT_FALSE(newSetting.isVisible()) << c.what;
    }
    EXPECT_EQ(dialogRuns, static_cast<int>(cases.size()));
}

TEST_F(AdvancedListTest, TheNewSettingDialogKeepsItsTypeAndEmptiesItsFieldsForTheNextUse) {
    Load({"a"}, 0);
    script = Answer(3, QStringLiteral("first.cfg"), QString(), "ButtonOK");
    Click("ButtonInsertSetting");
    script = [](TFormNewSetting& dialog) {
        EXPECT_TRUE(Child<QWidget>(dialog, "RadioGroupType")->findChildren<QRadioButton*>().at(3)->isChecked());
        EXPECT_EQ(Child<QLabel>(dialog, "Label1")->text(), QStringLiteral("File to execute"));
        EXPECT_TRUE(Child<QLineEdit>(dialog, "EditVal")->isHidden());
        EXPECT_TRUE(Child<QLabel>(dialog, "Label2")->isHidden());
        EXPECT_TRUE(Child<QLineEdit>(dialog, "EditCvar")->text().isEmpty());
        EXPECT_FALSE(dialog.Cancelled());
        ChooseType(dialog, 0);
        EXPECT_EQ(Child<QLabel>(dialog, "Label1")->text(), QStringLiteral("Cvar Name"));
        EXPECT_FALSE(Child<QLineEdit>(dialog, "EditVal")->isHidden());
        Child<QPushButton>(dialog, "ButtonDone")->click();
    };
    Click("ButtonInsertSetting");
    EXPECT_EQ(Items(), (Lines{"a", "exec first.cfg "}));
}

TEST_F(AdvancedListTest, InsertCommentAndInsertLineGoBelowTheSelectionWhichStays) {
    Load({"a", "b"}, 1);
    questions.texts = {QStringLiteral("note = 1"), QString(), std::nullopt};
    Click("Button1");
    Click("Button1");
    Click("Button1");
    EXPECT_EQ(Items(), (Lines{"a", "b", "// note = 1"}));
    EXPECT_EQ(questions.asked, (QStringList{3, QStringLiteral("New comment|Type here a new comment|")}));
    Click("Button2");
    EXPECT_EQ(Items(), (Lines{"a", "b", "", "// note = 1"}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(advanced.Comments(), (CommentIndex{{"note = 1", 3}}));
}

// A first start has an empty list: each insert button adds its line at the end, and selects nothing new.
TEST_F(AdvancedListTest, WithoutASelectionEachInsertButtonAddsItsLineAtTheEnd) {
    for (const Lines& start : {Lines{}, Lines{"a"}}) {
        Load(start, -1);
        questions.texts = {QStringLiteral("comment")};
        script = Answer(1, QStringLiteral("net_port"), QStringLiteral("28961"), "ButtonOK");
        for (const char* button : {"Button2", "Button1", "ButtonInsertSetting"})
            Click(button);
        Lines expected = start;
        expected.insert(expected.end(), {"", "// comment", "set net_port \"28961\""});
        EXPECT_EQ(Items(), expected);
        EXPECT_EQ(Selected(), -1);
        EXPECT_EQ(advanced.Comments(), BuildCommentIndex(expected));
    }
    EXPECT_EQ(dialogRuns, 2);
}

// The line that Insert line adds is then typed by a double-click.
TEST_F(AdvancedListTest, AnInsertedEmptyLineIsTypedByADoubleClick) {
    Load({}, -1);
    Click("Button2");
    ASSERT_EQ(Items(), Lines{""});
    list->setCurrentRow(0);
    questions.texts = {QStringLiteral("set rcon_password \"secret\"")};
    Q_EMIT list->itemDoubleClicked(list->item(0));
    EXPECT_EQ(Items(), Lines{"set rcon_password \"secret\""});
    EXPECT_EQ(questions.asked.size(), 1);
    EXPECT_TRUE(questions.asked.front().startsWith(QStringLiteral("New line|")))
        << questions.asked.front().toStdString();
}

struct DeleteCase {
    Lines lines;
    int selected;
    bool yes;
    Lines after;
    int selectedAfter;
    const char* question;
};

TEST_F(AdvancedListTest, DeleteLineAsksNamingTheLineThenSelectsByPosition) {
    const std::vector<DeleteCase> cases = {
        {{"// a", "// b", "c"}, 0, true, {"// b", "c"}, 0, "Delete line?\n\n// a"},
        {{"a", "b", "seta sv_hostname \"x\""}, 2, true, {"a", "b"}, 1, "Delete line?\n\nseta sv_hostname \"x\""},
        {{"only"}, 0, true, {}, -1, "Delete line?\n\nonly"},
        {{"a", "b"}, 0, false, {"a", "b"}, 0, "Delete line?\n\na"},
        {{"a", ""}, 1, true, {"a"}, 0, "Delete line?\n\n(an empty line)"},
    };
    for (const auto& c : cases) {
        Load(c.lines, c.selected);
        questions.yesNo = {c.yes};
        questions.asked.clear();
        Click("ButtonDeleteLine");
        EXPECT_EQ(questions.asked, QStringList{QString::fromUtf8(c.question)});
        EXPECT_EQ(Items(), c.after);
        EXPECT_EQ(Selected(), c.selectedAfter);
        EXPECT_EQ(advanced.Comments(), BuildCommentIndex(c.after));
    }
}

TEST_F(AdvancedListTest, UpAndDownMoveTheSelectedLineExceptAtTheEnds) {
    Load({"// A", "b", "// C"}, 0);
    Click("ButtonUp2");
    EXPECT_EQ(Items(), (Lines{"// A", "b", "// C"}));
    Click("ButtonDown2");
    EXPECT_EQ(Items(), (Lines{"b", "// A", "// C"}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(advanced.Comments(), (CommentIndex{{"A", 1}, {"C", 2}}));
    Click("ButtonDown2");
    Click("ButtonDown2");
    EXPECT_EQ(Items(), (Lines{"b", "// C", "// A"}));
    EXPECT_EQ(Selected(), 2);
    Click("ButtonUp2");
    EXPECT_EQ(Items(), (Lines{"b", "// A", "// C"}));
    EXPECT_EQ(Selected(), 1);
}

TEST_F(AdvancedListTest, DoubleClickEditsTheLineInPlaceWithoutRebuildingTheIndex) {
    Load({"// Old", " indented", "Exec a.cfg"}, 0);
    questions.texts = {QStringLiteral("New")};
    Q_EMIT list->itemDoubleClicked(list->item(0));
    EXPECT_EQ(Items().front(), "// New");
    EXPECT_EQ(advanced.Comments(), (CommentIndex{{"Old", 0}}));
    list->setCurrentRow(1);
    Q_EMIT list->itemDoubleClicked(list->item(1));
    list->setCurrentRow(2);
    questions.texts = {QStringLiteral("b.cfg")};
    Q_EMIT list->itemDoubleClicked(list->item(2));
    EXPECT_EQ(Items(), (Lines{"// New", " indented", "Exec b.cfg"}));
    EXPECT_EQ(questions.asked,
              (QStringList{QStringLiteral("Comment|Type here a new comment|Old"), QStringLiteral("New file||a.cfg")}));
    EXPECT_EQ(Selected(), 2);
}

TEST_F(AdvancedListTest, TheArrowsJumpBetweenCommentLines) {
    Load({"// A", "seta x \"1\"", "// B = 2", "// a"}, -1);
    EXPECT_EQ(arrows->Max(), 2);
    arrows->Click(TUpDown::Button::Down);
    EXPECT_EQ(Selected(), 2);
    arrows->Click(TUpDown::Button::Down);
    EXPECT_EQ(Selected(), 0) << "an equal text leads to the first comment";
    arrows->Click(TUpDown::Button::Down);
    EXPECT_EQ(arrows->Position(), 2);
    arrows->Click(TUpDown::Button::Up);
    arrows->Click(TUpDown::Button::Up);
    EXPECT_EQ(Selected(), 0);
    Load({"// A", "b", "// B"}, -1);
    EXPECT_EQ(arrows->Max(), 1);
    EXPECT_EQ(advanced.Comments(), (CommentIndex{{"A", 0}, {"B", 2}}));
}

TEST_F(AdvancedListTest, TheArrowsDoNothingWithoutCommentLines) {
    Load({"a", "b"}, 1);
    EXPECT_EQ(arrows->Max(), -1);
    arrows->Click(TUpDown::Button::Down);
    EXPECT_EQ(Selected(), 1);
}

} // namespace
