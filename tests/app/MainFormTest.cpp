#include "app/MainForm.h"

#include "app/Application.h"
#include "app/OptionControls.h"
#include "app/VersionText.h"
#include "platform/Paths.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"
#include "widgets/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

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

TEST(ApplicationTest, NamesTheApplicationWithoutADisplayNameForTheCaptions) {
    SetUpApplication(*qApp);
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Brisela Quendry"));
    // A display name set by the program would stay put here; the window system appends it to every caption.
    QApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
}

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

TEST_F(MainFormTest, StartsAt696By505BelowTheMenuAndGrowsWithTheRunLog) {
    form_->show();
    EXPECT_EQ(form_->width(), 696);
    EXPECT_EQ(form_->height() - form_->menuBar()->sizeHint().height(), 505);
    EXPECT_EQ(form_->minimumSize(), form_->size());
    auto* log = Control<QPlainTextEdit>("MemoLog");
    auto* pages = Control<QTabWidget>("PageControl1");
    const QSize logAtStart = log->size();
    const int pagesAtStart = pages->height();
    form_->resize(form_->width() + 200, form_->height() + 150);
    QApplication::processEvents();
    EXPECT_EQ(log->height(), logAtStart.height() + 150);
    EXPECT_GT(log->width(), logAtStart.width());
    EXPECT_EQ(pages->height(), pagesAtStart);
    // At its first size the log shows whole lines, at least four of them.
    const int lines = log->viewport()->height() / log->fontMetrics().lineSpacing();
    form_->resize(form_->minimumSize());
    QApplication::processEvents();
    EXPECT_GE(log->viewport()->height(), 4 * log->fontMetrics().lineSpacing());
    EXPECT_GE(lines, 4);
}

TEST_F(MainFormTest, TheRunLogScrollsToEachNewLine) {
    form_->show();
    auto* log = Control<QPlainTextEdit>("MemoLog");
    for (int i = 1; i <= 30; ++i)
        form_->Log(QStringLiteral("Step %1 : done").arg(i));
    QApplication::processEvents();
    QScrollBar* bar = log->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(log->cursorForPosition(QPoint(4, log->viewport()->height() - 8)).block().text(),
              QStringLiteral("Step 30 : done"));
    bar->setValue(0); // the user reads back, and the next line brings the log down to it
    form_->Log(QStringLiteral("Step 31 : done"));
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(log->cursorForPosition(QPoint(4, log->viewport()->height() - 8)).block().text(),
              QStringLiteral("Step 31 : done"));
}

// The name of a control as the Tab walk lists it: its object name, or the caption of a radio button.
QString Stop(const QWidget* widget) {
    if (const auto* radio = qobject_cast<const QRadioButton*>(widget))
        return QStringLiteral("radio:") + radio->text();
    if (qobject_cast<const QTabBar*>(widget))
        return QStringLiteral("tabs");
    return widget->objectName();
}

// Presses Tab from `first` until the focus comes back to it; the stops in the order they took the focus, each
// with how it looked with the focus.
std::vector<std::pair<QWidget*, QImage>> TabWalk(QWidget* first) {
    first->setFocus(Qt::TabFocusReason);
    std::vector<std::pair<QWidget*, QImage>> stops;
    for (QWidget* at = first; stops.size() < 200;) {
        stops.emplace_back(at, at->grab().toImage());
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        if (at == first || !at)
            break;
    }
    return stops;
}

TEST_F(MainFormTest, TabWalksEachPageInScreenOrderAndTheFocusShows) {
    form_->show();
    QApplication::setActiveWindow(form_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    auto* pages = Control<QTabWidget>("PageControl1");
    const QStringList top = {"sv_hostname", "Admin",      "Email",         "g_password",    "Location",
                             "dedicated",   "scr_motd",   "ButtonBrowse",  "MessageButton", "ButtonRun",
                             "ButtonSave",  "ButtonOpen", "ButtonDefault", "tabs"};
    // The comment arrows stand at the list's right edge.
    const QStringList advanced = {"ListBoxCfg",      "",        "",        "ButtonUp2",
                                  "ButtonDown2",     "Button2", "Button1", "ButtonInsertSetting",
                                  "ButtonDeleteLine"};
    const QStringList pageStops[] = {
        {"scr_killcam", "scr_freelook", "scr_spectateenemy", "scr_teambalance", "scr_drawfriend",
         "radio:Turn Off damage", "prm_clanTags", "prm_clanTeam", "prm_clanVote"},
        {"scr_allow_enfield",      "scr_allow_kar98k",       "scr_allow_nagant",      "scr_allow_m1carbine",
         "scr_allow_m1garand",     "scr_allow_fg42",         "scr_allow_panzerfaust", "scr_allow_sten",
         "scr_allow_mp40",         "scr_allow_thompson",     "scr_allow_ppsh",        "scr_allow_springfield",
         "scr_allow_nagantsniper", "scr_allow_kar98ksniper", "scr_allow_bar",         "scr_allow_bren",
         "scr_allow_mp44",         "prm_rifle_nades",        "prm_mg_nades",          "prm_sniper_nades"},
        {"prm_bleeding", "FogButton", "prm_dropHealthpacks", "prm_hitKnockdown", "prm_damageDropOff", "prm_realscore",
         "sv_shellshock", "prm_mg42onfire", "prm_num_stukas", "bam_mortar_on"},
        {"g_gametype", "BhmButton", "ListBoxMaps", "ButtonToRight", "ButtonScan", "ButtonUp", "ButtonToLeft",
         "ButtonDown", "ListBoxSelectedMaps"}};
    for (int page = 0; page < pages->count(); ++page) {
        SCOPED_TRACE(page);
        pages->setCurrentIndex(page);
        QStringList walked;
        const auto stops = TabWalk(Control<QWidget>("sv_hostname"));
        for (const auto& [widget, focused] : stops)
            walked << Stop(widget);
        EXPECT_EQ(walked.join(u' ').toStdString(), (top + pageStops[page] + advanced).join(u' ').toStdString());
        // Every stop looks different with the focus than without it.
        Control<QWidget>("sv_hostname")->setFocus();
        for (const auto& [widget, focused] : stops) {
            if (widget == Control<QWidget>("sv_hostname"))
                continue;
            EXPECT_NE(widget->grab().toImage(), focused) << Stop(widget).toStdString();
        }
    }
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

TEST_F(MainFormTest, TheTwoMapListsSayWhichIsWhich) {
    QStringList captions;
    for (const QLabel* label : form_->findChildren<QLabel*>())
        if (qobject_cast<QListWidget*>(label->buddy()))
            captions << label->buddy()->objectName() + QLatin1Char('=') + label->text();
    captions.sort();
    EXPECT_EQ(captions.join(u'|').toStdString(), "ListBoxMaps=Maps of this gametype|ListBoxSelectedMaps=Rotation");
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
