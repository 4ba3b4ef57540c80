#include "app/MainForm.h"

#include "app/Launchers.h"
#include "app/OptionControls.h"
#include "app/VersionText.h"
#include "forms/ColorCodeMenu.h"
#include "platform/Paths.h"
#include "support/FakePrograms.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "widgets/AboutForm.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"
#include "widgets/UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

class MainFormTest : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderOverride(program_.Path());
        form_ = std::make_unique<TMainForm>();
    }
    void TearDown() override {
        form_.reset();
        SetProgramFolderOverride(std::nullopt);
    }

    template <class T> T* Control(const char* name) const {
        T* control = form_->Find<T>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    ScriptedQuestions questions_;
    TestFolder program_;
    std::unique_ptr<TMainForm> form_;
};

TEST(MainFormCaptionTest, HasOneBlankBetweenTitleAndVersion) {
    EXPECT_EQ(MainFormCaption(QString::fromStdString(VersionText("2.0.0.0"))),
              QStringLiteral("Brisela Quendry Version 2.0.0.0"));
    EXPECT_EQ(MainFormCaption(QString::fromStdString(VersionText(""))),
              QStringLiteral("Brisela Quendry Unknown version"));
}

TEST_F(MainFormTest, CaptionCarriesThisBuildsVersion) {
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Brisela Quendry Version 2.0.0.0"));
}

TEST_F(MainFormTest, SectionHeadingsAreDecoratedLabelsWithABlackShadowOnMaroon) {
    const QColor windowFrame = TLabelExtra().OutLine().color;
    ASSERT_NE(windowFrame, RedOnMaroon());
    QStringList captions;
    for (TLabelExtra* heading : form_->findChildren<TLabelExtra*>()) {
        captions << heading->text();
        EXPECT_TRUE(heading->font().bold());
        EXPECT_EQ(heading->FontColor(), RedOnMaroon());
        EXPECT_EQ(heading->FontShadow().Look(), (TShadowLook{Qt::black, sSouthEast, stThin}));
        EXPECT_EQ(heading->Filling(), QBrush(Maroon()));
        EXPECT_EQ(heading->OutLine().style, psInsideFrame);
        EXPECT_EQ(heading->OutLine().color, windowFrame);
        EXPECT_TRUE(heading->AutoCenter());
    }
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Advanced settings"), QStringLiteral("Log runner"),
                                     QStringLiteral("Standard settings")}));
}

TEST_F(MainFormTest, ClientAreaIsFixedAt696By505BelowTheMenu) {
    EXPECT_EQ(form_->width(), 696);
    EXPECT_EQ(form_->minimumSize(), form_->maximumSize());
    EXPECT_EQ(form_->height() - form_->menuBar()->sizeHint().height(), 505);
}

TEST_F(MainFormTest, EveryOptionControlStandsOnItsPageWithItsFirstValue) {
    for (const OptionControl& option : OptionControls()) {
        SCOPED_TRACE(option.name);
        const QString name = QString::fromStdString(option.name);
        QWidget* control = form_->Find<QWidget>(name);
        ASSERT_NE(control, nullptr);
        QWidget* page = form_->Find<QWidget>(QString::fromStdString(option.page));
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isAncestorOf(control));
        if (!option.group.empty()) {
            auto* group = qobject_cast<QGroupBox*>(control->parentWidget()->inherits("QGroupBox")
                                                       ? control->parentWidget()
                                                       : control->parentWidget()->parentWidget());
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(group->title().toStdString(), option.group);
        }
        switch (option.kind) {
        case OptionKind::CheckBox: {
            auto* box = qobject_cast<QCheckBox*>(control);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->isChecked(), option.first != 0);
            EXPECT_EQ(box->text().toStdString(), option.caption);
            break;
        }
        case OptionKind::SpinEdit: {
            auto* spin = qobject_cast<TSpinEdit*>(control);
            ASSERT_NE(spin, nullptr);
            EXPECT_EQ(spin->Value(), option.first);
            EXPECT_EQ(spin->MinValue(), option.min);
            EXPECT_EQ(spin->MaxValue(), option.max);
            break;
        }
        case OptionKind::RadioGroup: {
            auto* group = qobject_cast<TRadioGroup*>(control);
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(group->ItemIndex(), option.first);
            ASSERT_EQ(group->Count(), static_cast<int>(option.items.size()));
            EXPECT_EQ(group->Item(3).toStdString(), option.items[3]);
            break;
        }
        case OptionKind::ComboBox: {
            auto* combo = qobject_cast<QComboBox*>(control);
            ASSERT_NE(combo, nullptr);
            EXPECT_EQ(combo->currentIndex(), -1);
            EXPECT_EQ(combo->count(), static_cast<int>(option.items.size()));
            break;
        }
        case OptionKind::Edit:
            ASSERT_NE(qobject_cast<QLineEdit*>(control), nullptr);
            EXPECT_TRUE(qobject_cast<QLineEdit*>(control)->text().isEmpty());
            break;
        }
    }
}

TEST_F(MainFormTest, PagesAndTheirCaptionsInOrder) {
    auto* pages = Control<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 4);
    const char* names[] = {"TabSheetHelp", "TabSheetWeapons", "TabSheetFx", "TabSheetMpas"};
    const char* captions[] = {"General", "Weapons", "Fx and realistic effects", "Maps and gametype"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), QString::fromLatin1(names[i]));
        EXPECT_EQ(pages->tabText(i), QString::fromLatin1(captions[i]));
    }
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(MainFormTest, ServerInfoAndListsStartEmpty) {
    auto* dedicated = Control<QComboBox>("dedicated");
    EXPECT_EQ(dedicated->currentIndex(), -1);
    EXPECT_EQ(dedicated->itemText(2), QStringLiteral("Internet"));
    EXPECT_TRUE(Control<QLineEdit>("EditPath")->isReadOnly());
    EXPECT_EQ(ComponentTag(*Control<QListWidget>("ListBoxMaps")), 1);
    EXPECT_EQ(ComponentTag(*Control<QListWidget>("ListBoxSelectedMaps")), 0);
    auto* upDown = Control<TUpDown>("UpDown1");
    EXPECT_EQ(upDown->Min(), 0);
    EXPECT_EQ(upDown->Increment(), -1);
    EXPECT_FALSE(Control<QGroupBox>("GroupBox4")->isVisibleTo(form_.get()));
}

TEST_F(MainFormTest, SavedControlsAreCreatedInTheOrderOfASettingsFile) {
    QStringList order;
    for (QObject* component : form_->Components())
        if (!qobject_cast<QLabel*>(component) && component->objectName().size() > 0)
            order << component->objectName();
    const QStringList expected = {QStringLiteral("sv_hostname"), QStringLiteral("Email"),
                                  QStringLiteral("Admin"),       QStringLiteral("Location"),
                                  QStringLiteral("g_password"),  QStringLiteral("scr_motd"),
                                  QStringLiteral("EditPath"),    QStringLiteral("dedicated")};
    int last = -1;
    for (const QString& name :
         expected + QStringList{QStringLiteral("ListBoxCfg"), QStringLiteral("prm_clanTags"),
                                QStringLiteral("prm_clanTeam"), QStringLiteral("ListBoxSelectedMaps"),
                                QStringLiteral("g_gametype")}) {
        const int at = static_cast<int>(order.indexOf(name));
        EXPECT_GT(at, last) << name.toStdString();
        last = at;
    }
}

TEST_F(MainFormTest, MenusListTheirItemsInOrder) {
    QStringList seen;
    for (QAction* menuAction : form_->menuBar()->actions()) {
        seen << menuAction->text();
        for (QAction* item : menuAction->menu()->actions())
            seen << (item->isSeparator() ? QStringLiteral("-") : item->objectName() + QLatin1Char('=') + item->text());
    }
    EXPECT_EQ(seen.join(QLatin1Char('|')),
              QStringLiteral("&File|Showlogserver1=S&how log server|Savelogrunner1=&Save log runner|-|Quit1=&Quit|"
                             "&Utils|GetIP1=&Get IP|JoinServeur1=&Join Serveur|ServerActivity1=&Server Activity|-|"
                             "CreateShortcut1=&Create server shortcut|OpenCODfolder1=&Open COD folder|-|"
                             "Mailme1=&Mail Brisela|Briselawebsite1=Brisela &web site|"
                             "?|About1=&About|Readme1=&Readme|-|BHMgametype1=&BHM gametype|Help2=&PRM|"
                             "HelpcvarCOD1=&COD cvar"));
}

TEST_F(MainFormTest, CreatesAnEmptyMapsFileAndLoadsAnExistingOne) {
    EXPECT_TRUE(std::filesystem::exists(program_.File("maps.ini")));
    EXPECT_EQ(program_.Read("maps.ini"), "");
    EXPECT_TRUE(form_->MapsList().isEmpty());

    program_.Write("maps.ini", "mp_harbor=[dm] [bhm]\r\nmp_dawnville=[sd] [bhm]\r\n");
    TMainForm second;
    EXPECT_EQ(second.MapsList(),
              QStringList({QStringLiteral("mp_harbor=[dm] [bhm]"), QStringLiteral("mp_dawnville=[sd] [bhm]")}));
    EXPECT_EQ(second.ModFolder(), QStringLiteral("BriselaMOD_v2"));
    EXPECT_EQ(second.OpenDialogFolder(), QString::fromStdString(program_.Path() + "/configs/"));
    EXPECT_FALSE(std::filesystem::exists(program_.File("configs")));
}

TEST_F(MainFormTest, AMapsFileLoadsAlikeWhateverItsLineEnds) {
    for (const char* content :
         {"mp_harbor=[dm] [bhm]\r\nmp_dawnville=[sd]\r\n", "mp_harbor=[dm] [bhm]\rmp_dawnville=[sd]\r",
          "mp_harbor=[dm] [bhm]\nmp_dawnville=[sd]", "mp_harbor=[dm] [bhm]\r\nmp_dawnville=[sd]"}) {
        SCOPED_TRACE(content);
        program_.Write("maps.ini", content);
        TMainForm form;
        EXPECT_EQ(form.MapsList(),
                  QStringList({QStringLiteral("mp_harbor=[dm] [bhm]"), QStringLiteral("mp_dawnville=[sd]")}));
    }
}

TEST_F(MainFormTest, PathRestoredOnlyWhenTheFirstShowingFindsAGameFolder) {
    form_->FormShow();
    EXPECT_FALSE(form_->PathRestored());
    questions_.folders.push_back(QStringLiteral("/games/cod"));
    form_->ButtonBrowseClick();
    EXPECT_FALSE(form_->PathRestored()); // picking a folder later changes nothing

    TMainForm restored;
    restored.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QStringLiteral("/games/cod"));
    restored.FormShow();
    EXPECT_TRUE(restored.PathRestored());
}

TEST_F(MainFormTest, BrowseTrimsThePickedFolderAndCancelKeepsTheOldOne) {
    auto* path = Control<QLineEdit>("EditPath");
    questions_.folders = {QStringLiteral("  /games/Call of Duty/// "), std::nullopt, QStringLiteral("/")};
    form_->ButtonBrowseClick();
    EXPECT_EQ(path->text(), QStringLiteral("/games/Call of Duty"));
    form_->ButtonBrowseClick();
    EXPECT_EQ(path->text(), QStringLiteral("/games/Call of Duty"));
    EXPECT_EQ(questions_.asked.front(), QStringLiteral("Install directory of Call of Duty"));
    form_->ButtonBrowseClick();
    EXPECT_EQ(path->text(), QString());
    path->setText(QStringLiteral("/games/cod"));
    form_->ButtonFirstClick();
    EXPECT_TRUE(path->text().isEmpty());
}

TEST_F(MainFormTest, RunLogOnlyGrowsByWholeLines) {
    QStringList echoed;
    form_->SetLogEcho([&](const QString& line) { echoed << line; });
    form_->Log(QStringLiteral("Path : valid path"));
    form_->Log(QStringLiteral("Standard cfg : saved"));
    auto* log = Control<QPlainTextEdit>("MemoLog");
    EXPECT_EQ(log->toPlainText(), QStringLiteral("Path : valid path\nStandard cfg : saved"));
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_EQ(echoed.size(), 2);
}

TEST_F(MainFormTest, MenuItemsAndTheBhmButtonOpenTheirDocumentsAndLinks) {
    FakePrograms programs;
    for (const char* name : {"readme.txt", "help/BHM.html", "help/PRM.html", "help/COD_CVAR.html"})
        program_.Write(name, "");
    const std::pair<const char*, std::string> cases[] = {
        {"Readme1", program_.File("readme.txt")},     {"BHMgametype1", program_.File("help/BHM.html")},
        {"Help2", program_.File("help/PRM.html")},    {"HelpcvarCOD1", program_.File("help/COD_CVAR.html")},
        {"Mailme1", "mailto:brisela@example.org"},    {"Briselawebsite1", AuthorWebPage},
        {"BhmButton", program_.File("help/BHM.html")}};
    for (const auto& [name, opened] : cases) {
        SCOPED_TRACE(name);
        if (auto* action = form_->findChild<QAction*>(QString::fromLatin1(name)))
            action->trigger();
        else
            Control<QPushButton>(name)->click();
        const std::string record = programs.Next();
        EXPECT_NE(record.find("\n[" + opened + "]\n"), std::string::npos) << record;
    }
}

TEST_F(MainFormTest, ToolsReadTheGameFolderPasswordServerTypeAndRunLog) {
    FakePrograms programs;
    const std::string game = program_.Write("game/CoDMP.exe", "").substr(0, program_.File("game").size());
    Control<QLineEdit>("EditPath")->setText(QString::fromStdString(game));
    Control<QLineEdit>("g_password")->setText(QStringLiteral("pw"));
    Control<QComboBox>("dedicated")->setCurrentIndex(1);
    form_->Log(QStringLiteral("Path : valid path"));
    form_->Launchers().SetAddressLookup([] { return std::vector<std::string>{"10.0.0.7"}; });

    questions_.texts = {QStringLiteral("10.0.0.9")};
    form_->findChild<QAction*>(QStringLiteral("JoinServeur1"))->trigger();
    EXPECT_NE(programs.Next().find("[+connect]\n[10.0.0.9]\n[+set]\n[password]\n[pw]\n"), std::string::npos);

    questions_.folders = {QString::fromStdString(program_.Path())};
    form_->findChild<QAction*>(QStringLiteral("CreateShortcut1"))->trigger();
    EXPECT_NE(program_.Read("COD Server.desktop").find(" +set dedicated 1 +set fs_game BriselaMOD_v2 "),
              std::string::npos);

    questions_.saveFiles = {QString::fromStdString(program_.File("log.txt"))};
    form_->findChild<QAction*>(QStringLiteral("Savelogrunner1"))->trigger();
    EXPECT_EQ(program_.Read("log.txt"), "Path : valid path\r\nJoin server - IP : 10.0.0.9\r\n");

    form_->findChild<QAction*>(QStringLiteral("GetIP1"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("10.0.0.7"));
    EXPECT_TRUE(questions_.errors.isEmpty());
}

TEST_F(MainFormTest, ColourCodesGoToTheFieldTheMenuWasOpenedOn) {
    for (const char* name : {"sv_hostname", "Admin", "Email", "Location", "scr_motd"})
        EXPECT_EQ(Control<QLineEdit>(name)->contextMenuPolicy(), Qt::CustomContextMenu) << name;
    EXPECT_NE(Control<QLineEdit>("g_password")->contextMenuPolicy(), Qt::CustomContextMenu);

    auto* admin = Control<QLineEdit>("Admin");
    auto* hostName = Control<QLineEdit>("sv_hostname");
    admin->setText(QStringLiteral("abc"));
    hostName->setText(QStringLiteral("host"));
    admin->selectAll();
    Q_EMIT admin->customContextMenuRequested(QPoint(2, 2));
    form_->PopupMenu().close();
    form_->findChild<QAction*>(QStringLiteral("C4"))->trigger();
    EXPECT_EQ(admin->text(), QStringLiteral("^4abc"));
    EXPECT_EQ(hostName->text(), QStringLiteral("host"));
}

TEST(MainFormStartTest, AMapsFileThatCannotBeCreatedIsShownAndTheWindowStillOpens) {
    ScriptedQuestions questions;
    SetProgramFolderOverride("/nonexistent/quendry");
    TMainForm form;
    SetProgramFolderOverride(std::nullopt);
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors.front().contains(QStringLiteral("maps.ini")));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Brisela Quendry Version 2.0.0.0"));
}

} // namespace
