// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogForm.h"
#include "config/FormNewSetting.h"
#include "config/MsgForm.h"

#include "support/TabWalk.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct DialogCase {
    const char* file;
    std::function<std::unique_ptr<QDialog>()> make;
};

// Every control of each dialog lies inside its client area.
TEST(DialogLayoutTest, EveryControlLiesInsideItsDialog) {
    const std::vector<DialogCase> cases = {
        {"fog-settings.png", [] { return std::make_unique<TFogForm>(); }},
        {"msg-settings.png", [] { return std::make_unique<TMsgForm>(); }},
        {"new-setting.png", [] { return std::make_unique<TFormNewSetting>(); }},
    };
    for (const auto& c : cases) {
        const auto dialog = c.make();
        dialog->show();
        const auto* form = dynamic_cast<TForm*>(dialog.get());
        ASSERT_NE(form, nullptr) << c.file;
        for (QObject* component : form->Components()) {
            // Components without a window of their own (the settings store) have no place in the layout.
            if (const auto* widget = qobject_cast<QWidget*>(component)) {
                EXPECT_TRUE(dialog->rect().contains(widget->geometry()))
                    << c.file << ": " << widget->objectName().toStdString();
            }
        }
    }
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

} // namespace
