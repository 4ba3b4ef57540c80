// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionCollector.h"

#include "config/OptionTable.h"
#include "config/StandardConfig.h"
#include "forms/Form.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

class TestWindow : public QWidget, public TForm {
public:
    explicit TestWindow(const QString& name) : TForm(*this, name) {}
};

// The least value of each spin edit: a cleared field reads as it.
const std::map<std::string, int, std::less<>> SpinMinimums = {
    {"prm_rifle_nades", 1}, {"prm_mg_nades", 1}, {"prm_sniper_nades", 1}, {"prm_num_stukas", 0}, {"prm_delay", 30}};

// The three windows that hold the options, each holding its option controls under their names.
class OptionCollectorTest : public testing::Test {
protected:
    OptionCollectorTest() {
        for (const char* name : {"MainForm", "FogForm", "MsgForm"})
            windows[name] = std::make_unique<TestWindow>(QString::fromLatin1(name));
        for (const Option& option : Options()) {
            TestWindow& window = *windows.at(std::string(option.window));
            const QString name = QString::fromUtf8(option.name.data(), static_cast<qsizetype>(option.name.size()));
            switch (option.kind) {
            case OptionKind::CheckBox:
                window.Own<QCheckBox>(name, &window);
                break;
            case OptionKind::SpinEdit:
                window.Own<TSpinEdit>(name, option.min, option.max, option.max, &window);
                break;
            case OptionKind::RadioGroup:
                window.Own<TRadioGroup>(name, name, QStringList{QStringLiteral("a"), QStringLiteral("b")}, 1, &window);
                break;
            case OptionKind::Edit:
                window.Own<QLineEdit>(name, &window);
                break;
            case OptionKind::ComboBox:
                window.Own<QComboBox>(name, &window)->addItems({QStringLiteral("allies"), QStringLiteral("axis")});
                break;
            case OptionKind::Memo:
                window.Own<QPlainTextEdit>(name, &window);
                break;
            case OptionKind::ListBox:
                window.Own<QListWidget>(name, &window);
                break;
            }
        }
        memo = Control<QPlainTextEdit>("MsgForm", "MsgMemo");
        maps = Control<QListWidget>("MainForm", "ListBoxSelectedMaps");
    }

    template <class T> T* Control(const char* window, const char* name) {
        return windows.at(window)->Find<T>(QString::fromLatin1(name));
    }

    std::map<std::string, std::unique_ptr<TestWindow>, std::less<>> windows;
    QPlainTextEdit* memo = nullptr;
    QListWidget* maps = nullptr;
};

TEST_F(OptionCollectorTest, ReadsEachControlByItsKind) {
    Control<QCheckBox>("MainForm", "scr_killcam")->setChecked(true);
    Control<TRadioGroup>("FogForm", "prm_fog_type")->SetItemIndex(1);
    Control<TRadioGroup>("MainForm", "scr_friendlyfire")->SetItemIndex(-1);
    Control<QLineEdit>("FogForm", "prm_fog_density")->setText(QStringLiteral("0,0031"));
    Control<QLineEdit>("MainForm", "sv_hostname")->setText(QStringLiteral("Caf\u00e9 \"1\""));
    Control<QComboBox>("MainForm", "prm_clanTeam")->setCurrentIndex(-1);
    Control<QComboBox>("MainForm", "g_gametype")->setCurrentIndex(1);
    Control<TSpinEdit>("MainForm", "prm_num_stukas")->SetValue(2);
    memo->setPlainText(QStringLiteral("Hello\n\n  Bye\n"));
    maps->addItems({QStringLiteral("mp_a"), QStringLiteral("mp_b")});

    const OptionValues values = CollectOptionValues();
    EXPECT_TRUE(values.ticked.at("scr_killcam"));
    EXPECT_FALSE(values.ticked.at("sv_shellshock"));
    EXPECT_EQ(values.numbers.at("prm_fog_type"), 1);
    EXPECT_EQ(values.numbers.at("scr_friendlyfire"), -1);
    EXPECT_EQ(values.numbers.at("prm_num_stukas"), 2);
    EXPECT_EQ(values.texts.at("prm_fog_density"), "0,0031");
    EXPECT_EQ(values.texts.at("sv_hostname"), "Caf\u00e9 \"1\"");
    EXPECT_EQ(values.texts.at("prm_clanTeam"), "");
    EXPECT_EQ(values.texts.at("g_gametype"), "axis");
    EXPECT_EQ(values.numbers.at("g_gametype"), 1);
    EXPECT_EQ(values.lines.at("g_gametype"), (std::vector<std::string>{"allies", "axis"}));
    EXPECT_EQ(values.lines.at("MsgMemo"), (std::vector<std::string>{"Hello", "", "  Bye"}));
    EXPECT_EQ(values.lines.at("ListBoxSelectedMaps"), (std::vector<std::string>{"mp_a", "mp_b"}));
}

TEST_F(OptionCollectorTest, AClearedSpinEditWritesItsMinimum) {
    for (const auto& [name, minimum] : SpinMinimums) {
        const char* window = name == "prm_delay" ? "MsgForm" : "MainForm";
        Control<TSpinEdit>(window, name.c_str())->findChild<QLineEdit*>()->clear();
    }
    const OptionValues values = CollectOptionValues();
    std::vector<std::string> lines;
    for (const auto& line : ComposeStandardConfig(values, [](const std::string&) {}))
        lines.push_back(line.text);
    for (const auto& [name, minimum] : SpinMinimums)
        EXPECT_NE(std::ranges::find(lines, "seta " + name + " \"" + std::to_string(minimum) + "\""), lines.end())
            << name;
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

TEST(OptionCollectorWindowsTest, AMissingWindowIsNamed) {
    try {
        CollectOptionValues();
        FAIL() << "no error";
    } catch (const std::logic_error& error) {
        EXPECT_NE(std::string(error.what()).find("no window MainForm"), std::string::npos) << error.what();
    }
}

} // namespace
