// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionControls.h"

#include "config/OptionTable.h"
#include "config/StandardConfig.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

// The least value of each spin edit: a cleared field reads as it.
const std::map<std::string, int, std::less<>> SpinMinimums = {
    {"prm_rifle_nades", 1}, {"prm_mg_nades", 1}, {"prm_sniper_nades", 1}, {"prm_num_stukas", 0}, {"prm_delay", 30}};

// A control of the option's kind, unnamed: the values are found through the recorded pairs, not by names.
QWidget* MakeControl(const Option& option, QWidget* parent) {
    switch (option.kind) {
    case OptionKind::CheckBox:
        return new QCheckBox(parent);
    case OptionKind::SpinEdit:
        return new TSpinEdit(option.min, option.max, option.max, parent);
    case OptionKind::RadioGroup:
        return new TRadioGroup(QString(), QStringList{QStringLiteral("a"), QStringLiteral("b")}, 1, parent);
    case OptionKind::Edit:
        return new QLineEdit(parent);
    case OptionKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->addItems({QStringLiteral("allies"), QStringLiteral("axis")});
        return combo;
    }
    case OptionKind::Memo:
        return new QPlainTextEdit(parent);
    case OptionKind::ListBox:
        return new QListWidget(parent);
    }
    return nullptr;
}

// The three windows that hold the options, each recording the controls it shows.
class OptionControlsTest : public testing::Test {
protected:
    OptionControlsTest() {
        for (const Option& option : Options()) {
            QWidget* control = MakeControl(option, &parent);
            recorded[std::string(option.window)].Bind(option, control);
            controls[std::string(option.name)] = control;
        }
    }

    template <class T> T* Control(const char* name) { return qobject_cast<T*>(controls.at(name)); }

    OptionValues Collect() const {
        return CollectOptionValues({&recorded.at("MainForm"), &recorded.at("FogForm"), &recorded.at("MsgForm")});
    }

    QWidget parent;
    std::map<std::string, TOptionControls, std::less<>> recorded;
    std::map<std::string, QWidget*, std::less<>> controls;
};

TEST_F(OptionControlsTest, ReadsEachControlByItsKind) {
    Control<QCheckBox>("scr_killcam")->setChecked(true);
    Control<TRadioGroup>("prm_fog_type")->SetItemIndex(1);
    Control<TRadioGroup>("scr_friendlyfire")->SetItemIndex(-1);
    Control<QLineEdit>("prm_fog_density")->setText(QStringLiteral("0,0031"));
    Control<QLineEdit>("sv_hostname")->setText(QStringLiteral("Caf\u00e9 \"1\""));
    Control<QComboBox>("prm_clanTeam")->setCurrentIndex(-1);
    Control<QComboBox>("g_gametype")->setCurrentIndex(1);
    Control<TSpinEdit>("prm_num_stukas")->SetValue(2);
    Control<QPlainTextEdit>("MsgMemo")->setPlainText(QStringLiteral("Hello\n\n  Bye\n"));
    Control<QListWidget>("ListBoxSelectedMaps")->addItems({QStringLiteral("mp_a"), QStringLiteral("mp_b")});
    Control<QListWidget>("ListBoxCfg")->addItems({QStringLiteral("set a 1")});
    Control<QLineEdit>("EditPath")->setText(QStringLiteral("/srv/cod"));
    Control<QComboBox>("dedicated")->setCurrentIndex(1);

    const OptionValues values = Collect();
    EXPECT_TRUE(values.ticked.at("scr_killcam"));
    EXPECT_FALSE(values.ticked.at("sv_shellshock"));
    EXPECT_EQ(values.numbers.at("prm_fog_type"), 1);
    EXPECT_EQ(values.numbers.at("scr_friendlyfire"), -1);
    EXPECT_EQ(values.numbers.at("prm_num_stukas"), 2);
    EXPECT_EQ(values.texts.at("prm_fog_density"), "0,0031");
    EXPECT_EQ(values.texts.at("sv_hostname"), "Caf\u00e9 \"1\"");
    EXPECT_EQ(values.texts.at("prm_clanTeam"), "");
    EXPECT_EQ(values.lines.at("MsgMemo"), (std::vector<std::string>{"Hello", "", "  Bye"}));
    // The options the program reads by themselves.
    EXPECT_EQ(values.Gametype(), "axis");
    EXPECT_EQ(values.numbers.at("g_gametype"), 1);
    EXPECT_EQ(values.lines.at("g_gametype"), (std::vector<std::string>{"allies", "axis"}));
    EXPECT_EQ(values.Rotation(), (std::vector<std::string>{"mp_a", "mp_b"}));
    EXPECT_EQ(values.AdvancedLines(), (std::vector<std::string>{"set a 1"}));
    EXPECT_EQ(values.GameFolder(), "/srv/cod");
    EXPECT_EQ(values.Dedicated(), 1);
}

TEST_F(OptionControlsTest, AClearedSpinEditWritesItsMinimum) {
    for (const auto& [name, minimum] : SpinMinimums)
        Control<TSpinEdit>(name.c_str())->findChild<QLineEdit*>()->clear();
    const OptionValues values = Collect();
    std::vector<std::string> lines;
    for (const auto& line : ComposeStandardConfig(values, [](const std::string&) {}))
        lines.push_back(line.text);
    for (const auto& [name, minimum] : SpinMinimums)
        EXPECT_NE(std::ranges::find(lines, "seta " + name + " \"" + std::to_string(minimum) + "\""), lines.end())
            << name;
}

// Each message names what is wrong, so that a window built wrongly fails at once and says where.
TEST_F(OptionControlsTest, AWrongOrMissingControlIsNamed) {
    const auto expectError = [](const std::function<void()>& act, const std::string& message) {
        try {
            act();
            ADD_FAILURE() << "no error, expected: " << message;
        } catch (const std::logic_error& error) {
            EXPECT_EQ(error.what(), message);
        }
    };
    TOptionControls window;
    QCheckBox box;
    expectError([&] { window.Bind(OptionNamed("MainForm", "prm_num_stukas"), &box); },
                "the control of the option MainForm.prm_num_stukas is not of its kind");
    window.Bind(OptionNamed("MainForm", "scr_killcam"), &box);
    QCheckBox another;
    expectError([&] { window.Bind(OptionNamed("MainForm", "scr_killcam"), &another); },
                "the option MainForm.scr_killcam has a control already");
    // The dialogs not built yet: their options have no control.
    expectError(
        [this] {
            CollectOptionValues({&recorded.at("MainForm"), nullptr, &recorded.at("MsgForm")});
        },
        "no control shows the option FogForm.prm_fog_type");
    delete controls.at("prm_delay");
    expectError([this] { Collect(); }, "the control of the option MsgForm.prm_delay is gone");
}

TEST(MemoLinesTest, CountsLinesAsTheMemoShowsThem) {
    const std::vector<std::pair<QString, std::vector<std::string>>> cases = {
        {QString(), {}},
        {QStringLiteral("\n"), {""}},
        {QStringLiteral("a"), {"a"}},
        {QStringLiteral("a\n"), {"a"}},
        {QStringLiteral("a\n\n"), {"a", ""}},
        {QStringLiteral(" a\n \nb"), {" a", " ", "b"}},
    };
    QPlainTextEdit memo;
    for (const auto& [text, lines] : cases) {
        memo.setPlainText(text);
        EXPECT_EQ(MemoLines(memo), lines) << text.toStdString();
    }
}

TEST_F(OptionControlsTest, AWindowBuiltWhenFirstShownHoldsItsOptionsUntilThen) {
    TDeferredOptions fog("FogForm");
    const OptionValues first = FirstOptionValues();
    // Before the window is built: the table's first values, then the values loaded into it.
    const auto collected = [&] {
        OptionValues values;
        fog.CollectInto(values);
        return values;
    };
    EXPECT_EQ(collected().Number("prm_fog_type"), first.Number("prm_fog_type"));
    EXPECT_EQ(collected().Text("prm_fog_distance"), first.Text("prm_fog_distance"));
    EXPECT_TRUE(fog.Shows(OptionNamed("FogForm", "prm_fog_red")));
    EXPECT_FALSE(fog.Shows(OptionNamed("MainForm", "sv_hostname")));
    OptionValues loaded = first;
    loaded.numbers["prm_fog_type"] = 1;
    loaded.texts["prm_fog_distance"] = "5000";
    loaded.texts["sv_hostname"] = "not the fog's";
    fog.ShowValues(loaded);
    EXPECT_EQ(collected().Number("prm_fog_type"), 1);
    EXPECT_EQ(collected().Text("prm_fog_distance"), "5000");
    EXPECT_EQ(collected().texts.count("sv_hostname"), 0U);

    // Built: its controls show what was held, and are the values from then on.
    fog.Attach(recorded.at("FogForm"));
    EXPECT_EQ(Control<TRadioGroup>("prm_fog_type")->ItemIndex(), 1);
    EXPECT_EQ(Control<QLineEdit>("prm_fog_distance")->text(), QStringLiteral("5000"));
    Control<QLineEdit>("prm_fog_distance")->setText(QStringLiteral("2500"));
    EXPECT_EQ(collected().Text("prm_fog_distance"), "2500");
    loaded.texts["prm_fog_distance"] = "4000";
    fog.ShowValues(loaded);
    EXPECT_EQ(Control<QLineEdit>("prm_fog_distance")->text(), QStringLiteral("4000"));
    // The whole table is read from the main window's controls and the deferred windows alike.
    EXPECT_EQ(CollectOptionValues({&recorded.at("MainForm"), &fog, &recorded.at("MsgForm")}).Text("prm_fog_distance"),
              "4000");
}

} // namespace
