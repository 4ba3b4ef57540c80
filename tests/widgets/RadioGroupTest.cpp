// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/RadioGroup.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A radio group between two fields, in a window of its own that has the keyboard.
class RadioGroupTest : public testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(group);
        layout->addWidget(after);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QRadioButton* Button(int index) const { return group->findChildren<QRadioButton*>()[index]; }

    // Where Tab and Shift+Tab lead from `from`.
    static QWidget* Next(QWidget* from, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        from->setFocus(Qt::TabFocusReason);
        QTest::keyClick(from, Qt::Key_Tab, modifiers);
        return QApplication::focusWidget();
    }

    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    TRadioGroup* group = new TRadioGroup(QStringLiteral("Fog type"), {"No fog", "Fog", "Haze", "Mist"}, 2, &window);
    QLineEdit* after = new QLineEdit(&window);
};

TEST_F(RadioGroupTest, TheGroupIsOneTabStopAtItsChosenItem) {
    EXPECT_EQ(Next(before), Button(0)); // nothing chosen: the first item
    EXPECT_EQ(Next(Button(0)), after);
    group->SetItemIndex(2);
    EXPECT_EQ(Next(before), Button(2));
    EXPECT_EQ(Next(Button(2)), after);
    EXPECT_EQ(Next(after, Qt::ShiftModifier), Button(2));
}

TEST_F(RadioGroupTest, ArrowsMoveTheChoiceAndTheFocusRoundTheItems) {
    QSignalSpy clicked(group, &TRadioGroup::Clicked);
    group->SetItemIndex(1);
    Button(1)->setFocus();
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Down, 2}, {Qt::Key_Right, 3}, {Qt::Key_Down, 0}, {Qt::Key_Up, 3}, {Qt::Key_Left, 2}};
    for (const auto& [key, chosen] : steps) {
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(group->ItemIndex(), chosen) << key;
        EXPECT_EQ(QApplication::focusWidget(), Button(chosen)) << key;
    }
    EXPECT_EQ(clicked.count(), 5); // each move is the user's choice
    EXPECT_EQ(Next(before), Button(2));
}

} // namespace
