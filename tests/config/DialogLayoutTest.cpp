// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogForm.h"
#include "config/FormNewSetting.h"
#include "config/MsgForm.h"
#include "widgets/AboutForm.h"

#include "support/TabWalk.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct DialogCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    // A control drawn over the others on purpose (the about box's frame), or nullptr.
    const char* overlay = nullptr;
};

const std::vector<DialogCase>& Dialogs() {
    static const std::vector<DialogCase> cases = {
        {"fog", [] { return std::make_unique<TFogForm>(); }},
        {"messages", [] { return std::make_unique<TMsgForm>(); }},
        {"new setting", [] { return std::make_unique<TFormNewSetting>(); }},
        {"about", [] { return std::make_unique<TAboutForm>(QStringLiteral("Version 2.0.0.0")); }, "LabelExtra1"},
    };
    return cases;
}

// The controls a dialog shows, with their places in it.
std::vector<const QWidget*> ShownControls(const QDialog& dialog) {
    std::vector<const QWidget*> controls;
    for (const QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisibleTo(&dialog))
            controls.push_back(child);
    return controls;
}

// Every control of each dialog lies inside its client area and clear of the others.
TEST(DialogLayoutTest, EveryControlLiesInsideItsDialogAndOverlapsNoOther) {
    for (const auto& c : Dialogs()) {
        const auto dialog = c.make();
        dialog->show();
        const std::vector<const QWidget*> controls = ShownControls(*dialog);
        EXPECT_GE(controls.size(), 3u) << c.name;
        for (const QWidget* control : controls) {
            const std::string name = control->objectName().toStdString();
            EXPECT_FALSE(control->geometry().isEmpty()) << c.name << ": " << name;
            EXPECT_TRUE(dialog->rect().contains(control->geometry())) << c.name << ": " << name;
            if (c.overlay && control->objectName() == QLatin1String(c.overlay))
                continue;
            for (const QWidget* other : controls) {
                if (other == control || (c.overlay && other->objectName() == QLatin1String(c.overlay)))
                    continue;
                EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                    << c.name << ": " << name << " overlaps " << other->objectName().toStdString();
            }
        }
    }
}

// A dialog keeps the size that shows its controls: neither the program nor the user makes it grow or shrink.
TEST(DialogLayoutTest, EachDialogKeepsItsSize) {
    for (const auto& c : Dialogs()) {
        const auto dialog = c.make();
        dialog->show();
        const QSize shown = dialog->size();
        EXPECT_EQ(dialog->minimumSize(), shown) << c.name;
        EXPECT_EQ(dialog->maximumSize(), shown) << c.name;
        for (const QSize& asked : {shown / 2, shown * 2}) {
            dialog->resize(asked);
            QApplication::processEvents();
            EXPECT_EQ(dialog->size(), shown) << c.name;
        }
    }
}

// Choosing "exec" hides the value and its caption and moves nothing else: the buttons stay under the mouse.
TEST(DialogLayoutTest, NewSettingMovesNothingWhenTheValueHides) {
    TFormNewSetting dialog;
    dialog.show();
    const auto places = [&dialog] {
        std::vector<QRect> rects;
        for (const char* name : {"RadioGroupType", "Label1", "EditCvar", "ButtonOK", "ButtonDone"})
            rects.push_back(dialog.findChild<QWidget*>(QLatin1String(name))->geometry());
        return std::pair(dialog.size(), rects);
    };
    const auto before = places();
    dialog.findChildren<QRadioButton*>().back()->click();
    ASSERT_FALSE(dialog.findChild<QWidget*>(QStringLiteral("EditVal"))->isVisible()) << "exec was not chosen";
    QApplication::processEvents();
    EXPECT_EQ(places(), before);
}

// Tab walks "New Setting" in the order of its screen: the type group as one stop, the name, the value, OK, Cancel.
TEST(DialogLayoutTest, NewSettingTabOrderFollowsTheScreen) {
    TFormNewSetting dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QStringList walked;
    TabWalk(dialog.findChildren<QRadioButton*>().front(), [&walked](QWidget* at) {
        auto* radio = qobject_cast<QRadioButton*>(at);
        walked << (radio ? radio->text() : at->objectName());
    });
    EXPECT_EQ(walked.join(u' ').toStdString(), "seta EditCvar EditVal ButtonOK ButtonDone");
}

// "New Setting" opens ready for the name: typing goes there, not to the type buttons.
TEST(DialogLayoutTest, NewSettingOpensWithTheFocusOnTheName) {
    TFormNewSetting dialog;
    for (int opening = 0; opening < 2; ++opening) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("sv_maxclients"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("EditCvar"))->text(), QStringLiteral("sv_maxclients"));
        dialog.findChild<QRadioButton*>()->setFocus(); // a later opening starts at the name again
        dialog.hide();
    }
}

// In the messages dialog Tab goes on to the next control, as in every other field, and types no tab.
TEST(DialogLayoutTest, TabLeavesTheServerMessages) {
    TMsgForm dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* messages = dialog.findChild<QPlainTextEdit*>(QStringLiteral("MsgMemo"));
    messages->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(messages, QStringLiteral("Welcome"));
    QTest::keyClick(messages, Qt::Key_Tab);
    EXPECT_FALSE(messages->toPlainText().contains(u'\t')) << messages->toPlainText().toStdString();
    EXPECT_NE(QApplication::focusWidget(), messages);
}

} // namespace
