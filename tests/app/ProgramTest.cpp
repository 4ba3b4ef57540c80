// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"

#include "app/Launchers.h"
#include "app/MainForm.h"
#include "config/OptionTable.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/ItemTexts.h"
#include "settings/SettingsLocation.h"
#include "store/ResourcesMaker.h"
#include "support/FakePrograms.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "widgets/AboutForm.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

// The first density, 0.001, written with the user's decimal separator.
std::string FirstDensity() {
    return (QStringLiteral("0") + QLocale().decimalPoint() + QStringLiteral("001")).toStdString();
}

// The whole program on a program folder of its own: its five windows, its side files and its settings.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override { SetProgramFolderOverride(program_.Path()); }
    void TearDown() override {
        instance_.reset();
        ChooseWindowInstance(Instance());
        SetProgramFolderOverride(std::nullopt);
    }

    TMainForm& Start() {
        instance_ = std::make_unique<TProgram>();
        Main().FormShow();
        return Main();
    }
    TMainForm& Main() const { return instance_->MainForm(); }

    template <class T> T* Control(const char* formName, const char* name) const {
        for (TForm* form : ApplicationForms())
            if (form->Name() == QLatin1String(formName))
                if (T* control = form->Find<T>(QString::fromLatin1(name)))
                    return control;
        ADD_FAILURE() << formName << "." << name;
        return nullptr;
    }

    ScriptedQuestions questions_;
    TestFolder program_;
    std::unique_ptr<TProgram> instance_;
};

TEST_F(ProgramTest, ClosingWithFirstValuesWritesTheWholeSettingsFile) {
    Start().close();
    const std::string expected =
        "[MainForm]\r\nsv_hostname=\r\nEmail=\r\nAdmin=\r\nLocation=\r\ng_password=\r\nscr_motd=\r\nEditPath=\r\n"
        "prm_clanTags=\r\nprm_clanVote=0\r\nscr_killcam=0\r\nscr_freelook=0\r\nscr_spectateenemy=0\r\n"
        "scr_teambalance=0\r\nscr_drawfriend=0\r\nscr_friendlyfire=0\r\nscr_allow_bar=0\r\nscr_allow_m1carbine=0\r\n"
        "scr_allow_m1garand=0\r\nscr_allow_thompson=0\r\nscr_allow_springfield=0\r\nscr_allow_enfield=0\r\n"
        "scr_allow_sten=0\r\nscr_allow_bren=0\r\nscr_allow_nagant=0\r\nscr_allow_ppsh=0\r\n"
        "scr_allow_nagantsniper=0\r\nscr_allow_mp40=0\r\nscr_allow_mp44=0\r\nscr_allow_kar98ksniper=0\r\n"
        "scr_allow_fg42=0\r\nscr_allow_panzerfaust=0\r\nscr_allow_kar98k=0\r\nprm_mg_nades=1\r\n"
        "prm_sniper_nades=1\r\nprm_rifle_nades=1\r\nbam_mortar_on=0\r\nprm_bleeding=0\r\nsv_shellshock=0\r\n"
        "prm_dropHealthpacks=0\r\nprm_hitKnockdown=0\r\nprm_damageDropOff=0\r\nprm_realscore=0\r\n"
        "prm_mg42onfire=0\r\nprm_num_stukas=0\r\n"
        "[MainFormdedicated]\r\nL0=None\r\nL1=Local\r\nL2=Internet\r\nItemIndex=-1\r\n"
        "[MainFormListBoxCfg]\r\nItemIndex=-1\r\n"
        "[MainFormprm_clanTeam]\r\nL0=allies\r\nL1=axis\r\nItemIndex=-1\r\n"
        "[MainFormListBoxSelectedMaps]\r\nItemIndex=-1\r\n"
        "[MainFormg_gametype]\r\nItemIndex=-1\r\n"
        "[FogForm]\r\nprm_fog_type=2\r\nprm_fog_red=255\r\nprm_fog_density=" +
        FirstDensity() +
        "\r\nprm_fog_distance=3000\r\n"
        "prm_fog_green=255\r\nprm_fog_blue=255\r\n"
        "[MsgFormMsgMemo]\r\nItemIndex=0\r\n";
    EXPECT_EQ(program_.Read(DefaultSettingsFile().toStdString()), expected);
}

// The command line reads settings files through the option table: the windows must keep exactly what it reads.
TEST_F(ProgramTest, TheWindowsKeepExactlyTheOptionsTheTableSaysAreKept) {
    Start().close();
    const TIniFile saved(DefaultSettingsFile());
    for (const Option& option : Options()) {
        const QString window = QString::fromUtf8(option.window.data(), static_cast<qsizetype>(option.window.size()));
        const QString name = QString::fromUtf8(option.name.data(), static_cast<qsizetype>(option.name.size()));
        const bool listLike = option.kind == OptionKind::ComboBox || option.kind == OptionKind::Memo ||
                              option.kind == OptionKind::ListBox;
        const bool found =
            listLike ? saved.ValueExists(window + name, QStringLiteral("ItemIndex")) : saved.ValueExists(window, name);
        EXPECT_EQ(found, option.kept) << option.window << "." << option.name;
    }
}

TEST_F(ProgramTest, QuitSavesLikeTheCloseBoxAndTheNextStartRestoresTheGameFolder) {
    TMainForm& first = Start();
    first.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QStringLiteral("/games/cod"));
    Control<QLineEdit>("FogForm", "prm_fog_green")->setText(QStringLiteral("128"));
    first.findChild<QAction*>(QStringLiteral("Quit1"))->trigger();
    EXPECT_FALSE(first.isVisible());
    instance_.reset();

    TMainForm& second = Start();
    EXPECT_EQ(second.GamePath(), QStringLiteral("/games/cod"));
    EXPECT_TRUE(second.PathRestored());
    EXPECT_EQ(Control<QLineEdit>("FogForm", "prm_fog_green")->text(), QStringLiteral("128"));
}

TEST_F(ProgramTest, AWindowOfAnInstanceSaysWhichInItsTitleAndKeepsALastStateOfItsOwn) {
    const std::string plainFile = LastStateFile(Instance()).toStdString();
    // quendry.ini becomes quendry-clan.ini, beside it.
    const std::string clanFile = plainFile.substr(0, plainFile.size() - 4) + "-clan.ini";
    program_.Write(plainFile, "[MainForm]\r\nEditPath=/games/public\r\n");
    ChooseWindowInstance(*Instance::Named("clan"));
    TMainForm& clan = Start();
    EXPECT_TRUE(clan.windowTitle().endsWith(QStringLiteral(" [clan]"))) << clan.windowTitle().toStdString();
    EXPECT_TRUE(clan.windowTitle().startsWith(ApplicationTitle));
    // The plain window's last state is not the instance's.
    EXPECT_TRUE(clan.GamePath().isEmpty());
    clan.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QStringLiteral("/games/clan"));
    clan.close();
    instance_.reset();
    EXPECT_NE(program_.Read(clanFile).find("EditPath=/games/clan\r\n"), std::string::npos);
    EXPECT_EQ(program_.Read(plainFile), "[MainForm]\r\nEditPath=/games/public\r\n");

    EXPECT_EQ(Start().GamePath(), QStringLiteral("/games/clan"));
    instance_.reset();
    ChooseWindowInstance(Instance());
    const TMainForm& plain = Start();
    EXPECT_EQ(plain.GamePath(), QStringLiteral("/games/public"));
    EXPECT_FALSE(plain.windowTitle().contains(QLatin1Char('[')));
}

TEST_F(ProgramTest, TheLastStateIsReadOnceAndReachesEveryWindow) {
    program_.Write(DefaultSettingsFile().toStdString(),
                   "[MainForm]\r\nEditPath=/games/cod\r\n[FogForm]\r\nprm_fog_green=128\r\n"
                   "[MsgFormMsgMemo]\r\nL0=Welcome\r\nItemIndex=0\r\n");
    {
        // A window on its own leaves the file alone: the program reads it once, when every window exists.
        const TMainForm alone;
        EXPECT_TRUE(alone.GamePath().isEmpty());
    }
    TMainForm& main = Start();
    EXPECT_EQ(main.GamePath(), QStringLiteral("/games/cod"));
    EXPECT_EQ(Control<QLineEdit>("FogForm", "prm_fog_green")->text(), QStringLiteral("128"));
    EXPECT_EQ(Control<QPlainTextEdit>("MsgForm", "MsgMemo")->toPlainText(), QStringLiteral("Welcome"));
}

TEST_F(ProgramTest, TheDialogsAreBuiltWhenFirstNeededAndSaveWhatWasLoadedUntilThen) {
    program_.Write(DefaultSettingsFile().toStdString(), "[FogForm]\r\nprm_fog_green=128\r\n"
                                                        "[MsgFormMsgMemo]\r\nL0=Welcome\r\nItemIndex=0\r\n");
    Start();
    const auto built = [](const char* name) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::ranges::any_of(windows,
                                   [name](const QWidget* w) { return w->objectName() == QLatin1String(name); });
    };
    EXPECT_FALSE(built("FogForm"));
    EXPECT_FALSE(built("MsgForm"));
    // Saved before either dialog was built: the loaded values go back into the file.
    const std::string file = program_.File("saved.ini");
    Main().SaveSettings(QString::fromStdString(file));
    const std::string saved = program_.Read("saved.ini");
    EXPECT_NE(saved.find("prm_fog_green=128\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[MsgFormMsgMemo]\r\nL0=Welcome\r\n"), std::string::npos) << saved;
    EXPECT_FALSE(built("FogForm"));
    EXPECT_EQ(Control<QLineEdit>("FogForm", "prm_fog_green")->text(), QStringLiteral("128"));
    EXPECT_TRUE(built("FogForm"));
    EXPECT_TRUE(built("MsgForm"));
}

TEST_F(ProgramTest, SavedSettingsComeBackWhole) {
    program_.Write("maps.ini", "mp_harbor=[dm] [bhm]\r\nmp_dawnville=[sd] [bhm]\r\nmp_Brecourt=[dm] [sd] [bhm]\r\n");
    TMainForm& main = Start();
    const QString awkward = QStringLiteral("  \"Caf\u00e9\" = ^1red; ");
    for (const char* name : {"sv_hostname", "Email", "Admin", "Location", "g_password", "scr_motd", "prm_clanTags"})
        Control<QLineEdit>("MainForm", name)->setText(awkward + QLatin1String(name));
    main.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QStringLiteral("/games/call of duty"));
    for (const char* name : {"scr_killcam", "scr_allow_bar", "sv_shellshock", "prm_clanVote"})
        Control<QCheckBox>("MainForm", name)->setChecked(true);
    Control<TRadioGroup>("MainForm", "scr_friendlyfire")->SetItemIndex(3);
    Control<TSpinEdit>("MainForm", "prm_mg_nades")->SetValue(3);
    Control<TSpinEdit>("MainForm", "prm_num_stukas")->SetValue(2);
    Control<QComboBox>("MainForm", "dedicated")->setCurrentIndex(2);
    Control<QComboBox>("MainForm", "prm_clanTeam")->setCurrentIndex(1);
    auto* gametype = Control<QComboBox>("MainForm", "g_gametype");
    gametype->addItems({QStringLiteral("dm"), QStringLiteral("sd"), QStringLiteral("bhm")});
    gametype->setCurrentIndex(2);
    auto* rotation = Control<QListWidget>("MainForm", "ListBoxSelectedMaps");
    rotation->addItems({QStringLiteral("mp_harbor"), QStringLiteral("mp_dawnville"), QStringLiteral("mp_Brecourt")});
    auto* advanced = Control<QListWidget>("MainForm", "ListBoxCfg");
    advanced->addItems({QStringLiteral("// Voting"), QString(), QStringLiteral("seta g_allowvote \"1\"")});
    advanced->setCurrentRow(2);
    Control<TRadioGroup>("FogForm", "prm_fog_type")->SetItemIndex(1);
    Control<QLineEdit>("FogForm", "prm_fog_distance")->setText(QStringLiteral("5000"));
    Control<QLineEdit>("FogForm", "prm_fog_blue")->setText(QStringLiteral("12"));
    Control<QPlainTextEdit>("MsgForm", "MsgMemo")->setPlainText(QStringLiteral("Welcome ^2\u00e9\n\n  spaced  "));
    const QString saved = QString::fromStdString(program_.File("mine.ini"));
    main.SaveSettings(saved);

    // Change everything, then load the file back.
    for (const char* name : {"sv_hostname", "prm_clanTags"})
        Control<QLineEdit>("MainForm", name)->setText(QStringLiteral("changed"));
    Control<QCheckBox>("MainForm", "scr_killcam")->setChecked(false);
    Control<TRadioGroup>("MainForm", "scr_friendlyfire")->SetItemIndex(-1);
    Control<TSpinEdit>("MainForm", "prm_mg_nades")->SetValue(1);
    Control<QComboBox>("MainForm", "dedicated")->setCurrentIndex(-1);
    gametype->setCurrentIndex(0);
    advanced->clear();
    Control<QLineEdit>("FogForm", "prm_fog_distance")->setText(QStringLiteral("3000"));
    Control<QPlainTextEdit>("MsgForm", "MsgMemo")->clear();
    main.LoadSettings(saved);

    for (const char* name : {"sv_hostname", "Email", "Admin", "Location", "g_password", "scr_motd", "prm_clanTags"})
        EXPECT_EQ(Control<QLineEdit>("MainForm", name)->text(), awkward + QLatin1String(name));
    EXPECT_EQ(main.GamePath(), QStringLiteral("/games/call of duty"));
    EXPECT_TRUE(Control<QCheckBox>("MainForm", "scr_killcam")->isChecked());
    EXPECT_EQ(Control<TRadioGroup>("MainForm", "scr_friendlyfire")->ItemIndex(), 3);
    EXPECT_EQ(Control<TSpinEdit>("MainForm", "prm_mg_nades")->Value(), 3);
    EXPECT_EQ(Control<TSpinEdit>("MainForm", "prm_num_stukas")->Value(), 2);
    EXPECT_EQ(Control<QComboBox>("MainForm", "dedicated")->currentIndex(), 2);
    EXPECT_EQ(Control<QComboBox>("MainForm", "prm_clanTeam")->currentText(), QStringLiteral("axis"));
    EXPECT_EQ(gametype->currentText(), QStringLiteral("bhm"));
    EXPECT_EQ(ItemTexts(*advanced),
              QStringList({QStringLiteral("// Voting"), QString(), QStringLiteral("seta g_allowvote \"1\"")}));
    EXPECT_EQ(advanced->currentRow(), 2);
    EXPECT_EQ(Control<TRadioGroup>("FogForm", "prm_fog_type")->ItemIndex(), 1);
    EXPECT_EQ(Control<QLineEdit>("FogForm", "prm_fog_distance")->text(), QStringLiteral("5000"));
    EXPECT_EQ(Control<QPlainTextEdit>("MsgForm", "MsgMemo")->toPlainText(),
              QStringLiteral("Welcome ^2\u00e9\n\n  spaced  "));
    // The maps list is rebuilt from the catalogue for the loaded gametype, never read from the file.
    EXPECT_EQ(
        ItemTexts(*Control<QListWidget>("MainForm", "ListBoxMaps")),
        QStringList({QStringLiteral("mp_harbor"), QStringLiteral("mp_dawnville"), QStringLiteral("mp_Brecourt")}));
    EXPECT_EQ(program_.Read("mine.ini").find("ListBoxMaps"), std::string::npos);

    // A file whose gametype offers fewer maps cuts the rotation to them, in order.
    std::string text = program_.Read("mine.ini");
    text.replace(text.find("ItemIndex=2\r\n[FogForm]"), 11, "ItemIndex=1");
    program_.Write("fewer.ini", text);
    main.LoadSettings(QString::fromStdString(program_.File("fewer.ini")));
    EXPECT_EQ(gametype->currentText(), QStringLiteral("sd"));
    EXPECT_EQ(ItemTexts(*rotation), QStringList({QStringLiteral("mp_dawnville"), QStringLiteral("mp_Brecourt")}));
}

TEST_F(ProgramTest, ALongRestoredFieldShowsItsBeginning) {
    const std::string longName(300, 'x');
    program_.Write(DefaultSettingsFile().toStdString(),
                   "[MainForm]\r\nsv_hostname=Start " + longName + "\r\nEditPath=/games/" + longName + "\r\n");
    Start().show();
    for (const char* name : {"sv_hostname", "EditPath"})
        EXPECT_EQ(Control<QLineEdit>("MainForm", name)->cursorPosition(), 0) << name; // the field shows from there
}

TEST_F(ProgramTest, OnlyAFirstStartSaysWhatToDoInTheRunLog) {
    const auto log = [this] { return Control<QPlainTextEdit>("MainForm", "MemoLog")->toPlainText(); };
    Start();
    EXPECT_EQ(log(), QStringLiteral("First start : choose the game folder with \"...\", press Scan Maps for its "
                                    "maps, then Default for the factory settings"));
    Main().close(); // saves the settings
    instance_.reset();
    Start();
    EXPECT_EQ(log(), QString());
}

TEST_F(ProgramTest, TheShippedFactorySettingsKeepTheGameFolder) {
    {
        TResourcesMaker defaults(program_.File("default.bin"), "");
        defaults.AddResource(QUENDRY_FACTORY_SETTINGS, "default.ini", true);
    }
    TMainForm& main = Start();
    main.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QStringLiteral("/games/cod"));
    questions_.yesNo = {true};
    main.Find<QPushButton>(QStringLiteral("ButtonDefault"))->click();
    EXPECT_EQ(questions_.asked, QStringList({QStringLiteral("Load default config ?")}));
    EXPECT_EQ(main.GamePath(), QStringLiteral("/games/cod"));
    // The rest did load: the gametypes and the advanced lines come from the factory settings.
    EXPECT_GT(Control<QComboBox>("MainForm", "g_gametype")->count(), 0);
    EXPECT_GT(Control<QListWidget>("MainForm", "ListBoxCfg")->count(), 0);
    // Without a scan the catalogue is empty: the factory rotation is dropped, and the log names its maps.
    EXPECT_EQ(Control<QListWidget>("MainForm", "ListBoxSelectedMaps")->count(), 0);
    EXPECT_TRUE(Control<QPlainTextEdit>("MainForm", "MemoLog")
                    ->toPlainText()
                    .endsWith(QStringLiteral("\nRotation : mp_carentan, mp_harbor dropped, not in the map catalogue")))
        << Control<QPlainTextEdit>("MainForm", "MemoLog")->toPlainText().toStdString();
}

TEST_F(ProgramTest, ALastStateThatNamesMapsTheCatalogueLacksSaysWhichWereDropped) {
    program_.Write("maps.ini", "mp_harbor=[dm] [bhm]\r\n");
    program_.Write(DefaultSettingsFile().toStdString(),
                   "[MainFormListBoxSelectedMaps]\r\nL0=mp_gone\r\nL1=mp_harbor\r\nItemIndex=-1\r\n"
                   "[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n");
    Start();
    EXPECT_EQ(ItemTexts(*Control<QListWidget>("MainForm", "ListBoxSelectedMaps")), QStringList({"mp_harbor"}));
    EXPECT_EQ(Control<QPlainTextEdit>("MainForm", "MemoLog")->toPlainText(),
              QStringLiteral("Rotation : mp_gone dropped, not in the map catalogue"));
}

TEST_F(ProgramTest, WindowsWithoutSavedStateAreBuiltWhenFirstOpened) {
    // Building them at start would only slow the start: they carry nothing the settings file restores.
    Start();
    QStringList built;
    for (TForm* form : ApplicationForms())
        built << form->Name();
    EXPECT_EQ(built, (QStringList{QStringLiteral("MainForm"), QStringLiteral("FogForm"), QStringLiteral("MsgForm")}));
}

TEST_F(ProgramTest, AboutOpensTheAboutBoxOverTheMainWindowUntilItIsClicked) {
    TMainForm& main = Start();
    main.show();
    // The about box is built when first opened.
    TAboutForm* about = nullptr;
    bool modal = false;
    QRect shown;
    QString nameLine;
    QTimer::singleShot(0, [&] {
        about = dynamic_cast<TAboutForm*>(Control<QTextEdit>("AboutForm", "Memo1")->window());
        ASSERT_NE(about, nullptr);
        modal = about->isVisible() && about->isModal();
        shown = about->geometry();
        nameLine = Control<QTextEdit>("AboutForm", "Memo1")->toPlainText().section(u'\n', 1, 1);
        about->LabelExtra1Click();
    });
    main.findChild<QAction*>(QStringLiteral("About1"))->trigger();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(modal);
    EXPECT_EQ(shown.width(), QImage(QStringLiteral(":/widgets/AboutBanner.png")).width()) << "as wide as its banner";
    EXPECT_EQ(shown.center(), main.geometry().center());
    EXPECT_EQ(nameLine, QStringLiteral("Brisela Quendry Version 2.0.0.0"));
    EXPECT_FALSE(about->isVisible());
}

TEST_F(ProgramTest, FogAndMessagesButtonsShowTheirDialogsModally) {
    TMainForm& main = Start();
    main.show();
    for (const auto& [button, formName] : {std::pair{"FogButton", "FogForm"}, std::pair{"MessageButton", "MsgForm"}}) {
        SCOPED_TRACE(button);
        QString shown;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* form = dynamic_cast<TForm*>(dialog))
                shown = form->Name();
            if (dialog)
                dialog->close();
        });
        main.Find<QPushButton>(QString::fromLatin1(button))->click();
        EXPECT_EQ(shown, QString::fromLatin1(formName));
    }
}

TEST(ProgramDocumentsTest, ReadmeAndHelpDocumentsStandBesideTheExecutableAndOpen) {
    ScriptedQuestions questions;
    FakePrograms programs;
    const std::string folder = std::filesystem::path(QUENDRY_EXECUTABLE).parent_path().string();
    SetProgramFolderOverride(folder);
    TLaunchers launchers([] { return LauncherState(); }, [](const std::string&) {}, "", nullptr);
    const std::pair<void (TLaunchers::*)(), const char*> documents[] = {
        {&TLaunchers::Readme1Click, "readme.txt"},
        {&TLaunchers::BHMgametype1Click, "help/BHM.html"},
        {&TLaunchers::Help2Click, "help/PRM.html"},
        {&TLaunchers::HelpcvarCOD1Click, "help/COD_CVAR.html"}};
    for (const auto& [handler, name] : documents) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/" + name;
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        const std::string text = ReadWholeFile(path);
        EXPECT_NE(text.find(std::string(name).ends_with(".html") ? "</html>" : "quendry run"), std::string::npos);
        (launchers.*handler)();
        EXPECT_NE(programs.Next().find("\n[" + path + "]\n"), std::string::npos);
    }
    SetProgramFolderOverride(std::nullopt);
}

} // namespace
