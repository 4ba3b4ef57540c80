#include "config/StandardConfigCollector.h"

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

struct Range {
    int min, max;
};

// The ranges of the spin edits, as the windows give them.
const std::map<std::string, Range, std::less<>> SpinRanges = {{"prm_rifle_nades", {1, 3}},
                                                              {"prm_mg_nades", {1, 3}},
                                                              {"prm_sniper_nades", {1, 3}},
                                                              {"prm_num_stukas", {0, 3}},
                                                              {"prm_delay", {30, 300}}};

// The three windows that feed the file, each holding its option controls under their cvar names.
class StandardConfigCollectorTest : public testing::Test {
protected:
    StandardConfigCollectorTest() {
        for (const char* name : {"MainForm", "FogForm", "MsgForm"})
            windows[name] = std::make_unique<TestWindow>(QString::fromLatin1(name));
        for (const auto& control : StandardConfigControls()) {
            TestWindow& window = *windows.at(std::string(control.window));
            const QString name = QString::fromUtf8(control.name.data(), static_cast<qsizetype>(control.name.size()));
            switch (control.kind) {
            case ValueKind::CheckBox:
                window.Own<QCheckBox>(name, &window);
                break;
            case ValueKind::SpinEdit: {
                const Range range = SpinRanges.find(control.name)->second;
                window.Own<TSpinEdit>(name, range.min, range.max, range.min, &window);
                break;
            }
            case ValueKind::RadioGroup:
                window.Own<TRadioGroup>(name, name, QStringList{QStringLiteral("a"), QStringLiteral("b")}, 1, &window);
                break;
            case ValueKind::Edit:
                window.Own<QLineEdit>(name, &window);
                break;
            case ValueKind::ComboBox:
                window.Own<QComboBox>(name, &window)->addItems({QStringLiteral("allies"), QStringLiteral("axis")});
                break;
            }
        }
        memo = windows.at("MsgForm")->Own<QPlainTextEdit>(QStringLiteral("MsgMemo"), windows.at("MsgForm").get());
        maps = windows.at("MainForm")
                   ->Own<QListWidget>(QStringLiteral("ListBoxSelectedMaps"), windows.at("MainForm").get());
    }

    template <class T> T* Control(const char* window, const char* name) {
        return windows.at(window)->Find<T>(QString::fromLatin1(name));
    }

    std::map<std::string, std::unique_ptr<TestWindow>, std::less<>> windows;
    QPlainTextEdit* memo = nullptr;
    QListWidget* maps = nullptr;
};

TEST_F(StandardConfigCollectorTest, ReadsEachControlByItsKind) {
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

    const StandardConfigValues values = CollectStandardConfigValues();
    EXPECT_TRUE(values.ticked.at("scr_killcam"));
    EXPECT_FALSE(values.ticked.at("sv_shellshock"));
    EXPECT_EQ(values.numbers.at("prm_fog_type"), 1);
    EXPECT_EQ(values.numbers.at("scr_friendlyfire"), -1);
    EXPECT_EQ(values.numbers.at("prm_num_stukas"), 2);
    EXPECT_EQ(values.texts.at("prm_fog_density"), "0,0031");
    EXPECT_EQ(values.texts.at("sv_hostname"), "Caf\u00e9 \"1\"");
    EXPECT_EQ(values.texts.at("prm_clanTeam"), "");
    EXPECT_EQ(values.texts.at("g_gametype"), "axis");
    EXPECT_EQ(values.messageLines, (std::vector<std::string>{"Hello", "", "  Bye"}));
    EXPECT_EQ(values.selectedMaps, (std::vector<std::string>{"mp_a", "mp_b"}));
}

TEST_F(StandardConfigCollectorTest, AClearedSpinEditWritesItsMinimum) {
    for (const auto& [name, range] : SpinRanges) {
        const char* window = name == "prm_delay" ? "MsgForm" : "MainForm";
        auto* spin = Control<TSpinEdit>(window, name.c_str());
        spin->SetValue(range.max);
        spin->findChild<QLineEdit*>()->clear();
    }
    const StandardConfigValues values = CollectStandardConfigValues();
    std::vector<std::string> lines;
    for (const auto& line : ComposeStandardConfig(values, [](const std::string&) {}))
        lines.push_back(line.text);
    for (const auto& [name, range] : SpinRanges)
        EXPECT_NE(std::ranges::find(lines, "seta " + name + " \"" + std::to_string(range.min) + "\""), lines.end())
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

TEST(StandardConfigCollectorWindowsTest, AMissingWindowIsNamed) {
    try {
        CollectStandardConfigValues();
        FAIL() << "no error";
    } catch (const std::logic_error& error) {
        EXPECT_NE(std::string(error.what()).find("no window MainForm"), std::string::npos) << error.what();
    }
}

} // namespace
