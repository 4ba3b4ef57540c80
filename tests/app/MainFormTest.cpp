// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainForm.h"

#include "app/Application.h"
#include "app/Launchers.h"
#include "app/VersionText.h"
#include "config/OptionTable.h"
#include "forms/ColorCodeMenu.h"
#include "maps/Rotation.h"
#include "platform/Paths.h"
#include "support/FakePrograms.h"
#include "support/FakeUdpServer.h"
#include "support/ScriptedQuestions.h"
#include "support/TabWalk.h"
#include "support/TestFolder.h"
#include "widgets/AboutForm.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"
#include "widgets/UpDown.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyledItemDelegate>
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
    ASSERT_NE(windowFrame, QColor(255, 0, 0));
    QStringList captions;
    for (TLabelExtra* heading : form_->findChildren<TLabelExtra*>()) {
        captions << heading->text();
        EXPECT_TRUE(heading->font().bold());
        EXPECT_EQ(heading->FontColor(), QColor(255, 0, 0));
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

// The run log's lines that show whole in it, top to bottom.
QStringList WholeLogLines(const QPlainTextEdit& log) {
    QStringList whole;
    for (QTextBlock block = log.document()->begin(); block.isValid(); block = block.next()) {
        const QRect line = log.cursorRect(QTextCursor(block));
        if (line.top() >= 0 && line.bottom() < log.viewport()->height())
            whole << block.text();
    }
    return whole;
}

// True when the run log's last line shows whole, from its start to its end however many lines it wraps to.
bool LastLineWhole(const QPlainTextEdit& log) {
    QTextCursor end(log.document()->lastBlock());
    const QRect start = log.cursorRect(end);
    end.movePosition(QTextCursor::EndOfBlock);
    return start.top() >= 0 && log.cursorRect(end).bottom() < log.viewport()->height();
}

// Room for a title bar above the window (about 25 pixels at 100 % under the usual window managers).
constexpr int TitleBarRoom = 30;

TEST_F(MainFormTest, StartsTallEnoughForTenLinesOfTheRunLogAndGrowsWithIt) {
    form_->show();
    EXPECT_EQ(form_->width(), 696);
    EXPECT_EQ(form_->minimumSize(), form_->size());
    // With its title bar it fits 1366 x 768 with a panel, and 1920 x 1080 at 150 %.
    EXPECT_LE(form_->height() + TitleBarRoom, 700);
    auto* log = Control<QPlainTextEdit>("MemoLog");
    for (int i = 1; i <= 30; ++i)
        form_->Log(QStringLiteral("Step %1 : done").arg(i));
    QApplication::processEvents();
    const QStringList whole = WholeLogLines(*log);
    EXPECT_GE(whole.size(), 10) << whole.join(u',').toStdString();
    EXPECT_EQ(whole.value(whole.size() - 1), QStringLiteral("Step 30 : done")) << "the last line shows whole";
    // A last line too long for the log's width shows whole too, to its end.
    form_->Log(QStringLiteral("ERROR: Couldn't load default.cfg ") + QStringLiteral("and the rest of it ").repeated(8));
    QApplication::processEvents();
    EXPECT_GT(log->document()->lastBlock().lineCount(), 1);
    EXPECT_TRUE(LastLineWhole(*log));

    auto* pages = Control<QTabWidget>("PageControl1");
    const QSize logAtStart = log->size();
    const int pagesAtStart = pages->height();
    form_->resize(form_->width() + 200, form_->height() + 150);
    QApplication::processEvents();
    EXPECT_EQ(log->height(), logAtStart.height() + 150);
    EXPECT_GT(log->width(), logAtStart.width());
    EXPECT_EQ(pages->height(), pagesAtStart);
    EXPECT_TRUE(LastLineWhole(*log));
    form_->resize(form_->minimumSize());
    QApplication::processEvents();
    EXPECT_TRUE(LastLineWhole(*log));
}

// At 150 % the designed window is taller than a 768-pixel screen: there the pages scroll, and the run log keeps its
// lines; a screen tall enough gets the designed size again.
TEST_F(MainFormTest, OnAScreenShorterThanItsDesignTheWindowShrinksAndThePagesScroll) {
    form_->show();
    const QSize designed = form_->size();
    auto* pages = Control<QTabWidget>("PageControl1");
    QScrollArea* area = nullptr;
    for (QWidget* parent = pages->parentWidget(); parent && !area; parent = parent->parentWidget())
        area = qobject_cast<QScrollArea*>(parent);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0) << "the designed size scrolls nothing";

    auto* log = Control<QPlainTextEdit>("MemoLog");
    for (int i = 1; i <= 30; ++i)
        form_->Log(QStringLiteral("Step %1 : done").arg(i));
    form_->FitHeight(designed.height() - 150);
    QApplication::processEvents();
    EXPECT_EQ(form_->size(), QSize(designed.width(), designed.height() - 150));
    EXPECT_EQ(form_->minimumSize(), form_->size());
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0) << "the pages scroll";
    EXPECT_GE(WholeLogLines(*log).size(), 10);

    form_->FitHeight(100); // no smaller than the run log and the controls beside the pages need
    QApplication::processEvents();
    EXPECT_GT(form_->height(), 100);
    EXPECT_GE(WholeLogLines(*log).size(), 10);

    form_->FitHeight(designed.height() + 500);
    QApplication::processEvents();
    EXPECT_EQ(form_->size(), designed);
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);
}

TEST_F(MainFormTest, EveryPageShowsItsControlsWholeAtTheFirstSize) {
    form_->show();
    auto* pages = Control<QTabWidget>("PageControl1");
    for (int index = 0; index < pages->count(); ++index) {
        pages->setCurrentIndex(index);
        QApplication::processEvents();
        QWidget* page = pages->widget(index);
        for (const QWidget* control : page->findChildren<QWidget*>()) {
            if (!control->isVisible())
                continue;
            const QRect placed(control->mapTo(page, QPoint(0, 0)), control->size());
            EXPECT_TRUE(page->rect().contains(placed))
                << page->objectName().toStdString() << ": " << control->objectName().toStdString() << " "
                << control->metaObject()->className() << " is cut";
        }
    }
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

TEST_F(MainFormTest, OptionControlsTellTheirConsoleVariableAndRange) {
    struct Tip {
        const char* control;
        const char* tip;
    };
    const Tip tips[] = {
        {"sv_hostname", "sv_hostname"},
        {"Admin", ".Admin"},
        {"g_password", "g_password"},
        {"dedicated", "dedicated"},
        {"prm_mg_nades", "prm_mg_nades (1 to 3)"},
        {"prm_num_stukas", "prm_num_stukas (0 to 3)"},
        {"scr_friendlyfire", "scr_friendlyfire"},
        {"sv_shellshock", "sv_shellshock"},
        {"g_gametype", "g_gametype"},
        {"ListBoxSelectedMaps", "sv_mapRotation"},
        {"EditPath", "The game folder, which holds CoDMP.exe or cod_lnxded"},
    };
    for (const Tip& tip : tips)
        EXPECT_EQ(Control<QWidget>(tip.control)->toolTip(), QString::fromUtf8(tip.tip)) << tip.control;
    for (const Option& option : Options()) {
        if (option.window == "MainForm") {
            EXPECT_FALSE(Control<QWidget>(std::string(option.name).c_str())->toolTip().isEmpty()) << option.name;
        }
    }
    EXPECT_FALSE(Control<TUpDown>("UpDown1")->toolTip().isEmpty());
}

TEST_F(MainFormTest, GametypesShowTheirNamesWhileTheListKeepsTheCodes) {
    auto* gametype = Control<QComboBox>("g_gametype");
    gametype->addItems({"dm", "tdm", "sd", "re", "bel", "hq", "bhm", "ctf"});
    const QStringList shown = {"dm \u2013 Deathmatch",
                               "tdm \u2013 Team Deathmatch",
                               "sd \u2013 Search and Destroy",
                               "re \u2013 Retrieval",
                               "bel \u2013 Behind Enemy Lines",
                               "hq \u2013 Headquarters",
                               "bhm \u2013 The gametype of BriselaMOD_v2",
                               "ctf"};
    const auto* delegate = qobject_cast<const QStyledItemDelegate*>(gametype->view()->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    for (int i = 0; i < gametype->count(); ++i) {
        EXPECT_EQ(delegate->displayText(gametype->itemText(i), QLocale()), shown[i]);
        EXPECT_EQ(gametype->itemText(i), shown[i].section(u' ', 0, 0)) << "the item stays the code";
    }
    gametype->setCurrentIndex(2);
    EXPECT_EQ(gametype->currentText(), QStringLiteral("sd"));
}

TEST(MainFormHelpTest, TheModsGametypeHasTheNameItsHelpPageGivesIt) {
    QFile page(QStringLiteral(QUENDRY_HELP_FOLDER "/BHM.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    const QString title = text.section(QStringLiteral("<title>"), 1).section(QStringLiteral("</title>"), 0, 0);
    const QString name = GametypeName(QStringLiteral("bhm"));
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(title.contains(name, Qt::CaseInsensitive)) << title.toStdString() << " / " << name.toStdString();
}

TEST(MainFormIconTest, TheWindowsShowTheProgramsIcon) {
    SetUpApplication(*qApp);
    TestFolder program;
    SetProgramFolderOverride(program.Path());
    TMainForm form;
    const QImage shown = form.windowIcon().pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
    // Through a pixmap as well, which keeps its pixels premultiplied: the icon's soft edges round alike.
    const QImage icon =
        QPixmap::fromImage(QImage(QStringLiteral(QUENDRY_ICON_FILE))).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(shown, icon);
    SetProgramFolderOverride(std::nullopt);
}

// Where every shown control of `window` stands.
QList<QRect> Layout(QWidget& window) {
    QList<QRect> places;
    for (const QWidget* control : window.findChildren<QWidget*>())
        if (control->isVisible())
            places << QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
    return places;
}

TEST_F(MainFormTest, TheStatusLineUnderTheRunLogShowsAWatchedServerUntilTheWatchStops) {
    const std::string longName = "<b>Brisela</b> " + std::string(300, 'x');
    const FakeUdpServer server("\xff\xff\xff\xffstatusResponse\n\\sv_hostname\\" + longName +
                               "\\mapname\\mp_harbor\\g_gametype\\sd\n3 50 \"^1Ann\"\n");
    form_->show();
    QApplication::processEvents();
    auto* status = Control<QLabel>("LabelStatus");
    auto* log = Control<QPlainTextEdit>("MemoLog");
    // The line has its place from the start, so that nothing moves when a server starts or stops.
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), QString());
    const QList<QRect> layout = Layout(*form_);
    const int layoutWidth = form_->centralWidget()->layout()->minimumSize().width();
    const QString address = QStringLiteral("127.0.0.1:") + QString::number(server.Port());
    form_->StartStatusWatch(QStringLiteral("127.0.0.1"), server.Port());
    EXPECT_EQ(status->text(), QStringLiteral("Server status : Asking ") + address);
    const QString expected = QStringLiteral("Server status : ") + QString::fromStdString(longName) +
                             QStringLiteral(", mp_harbor, sd, 1 player");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == expected; }, 3000)) << status->text().toStdString();
    EXPECT_EQ(status->textFormat(), Qt::PlainText) << "the server's name was read as markup";
    QApplication::processEvents();
    EXPECT_EQ(Layout(*form_), layout) << "a control moved when the line was filled";
    EXPECT_EQ(form_->width(), 696) << "a long host name widened the window";
    EXPECT_EQ(form_->centralWidget()->layout()->minimumSize().width(), layoutWidth) << "the line widened the layout";
    EXPECT_GE(status->mapTo(form_.get(), QPoint(0, 0)).y(), log->mapTo(form_.get(), QPoint(0, log->height())).y());
    EXPECT_EQ(status->mapTo(form_.get(), QPoint(0, 0)).x(), log->mapTo(form_.get(), QPoint(0, 0)).x());
    EXPECT_GE(status->height(), status->fontMetrics().height()) << "the line shows whole";
    form_->StopStatusWatch();
    QApplication::processEvents();
    EXPECT_EQ(status->text(), QString());
    EXPECT_EQ(Layout(*form_), layout) << "a control moved when the line was emptied";
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
std::vector<std::pair<QWidget*, QImage>> TabStops(QWidget* first) {
    std::vector<std::pair<QWidget*, QImage>> stops;
    TabWalk(first, [&stops](QWidget* at) { stops.emplace_back(at, at->grab().toImage()); });
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
        const auto stops = TabStops(Control<QWidget>("sv_hostname"));
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

// An option control as the program's description gives it: its name, kind, caption (or label), page, group
// heading, first value, range and items. Written out here, apart from the table the window is built from.
struct ExpectedOption {
    const char* name;
    const char* kind; // "check", "spin", "radio", "edit" or "combo"
    const char* caption;
    const char* page;
    const char* group; // the heading of its group; empty on the page itself, null where none is named
    int first = 0;     // ticked (1) or not, the spin edit's value, the chosen item (-1 none)
    int min = 0;
    int max = 0;
    std::vector<const char*> items = {};
};

const std::vector<ExpectedOption>& ExpectedOptions() {
    static const std::vector<ExpectedOption> options = {
        {"scr_allow_enfield", "check", "Enfield", "TabSheetWeapons", "Rifles"},
        {"scr_allow_kar98k", "check", "Kar98k", "TabSheetWeapons", "Rifles"},
        {"scr_allow_nagant", "check", "Nagant", "TabSheetWeapons", "Rifles"},
        {"scr_allow_m1carbine", "check", "M1 carbine", "TabSheetWeapons", "Rifles"},
        {"scr_allow_m1garand", "check", "M1 garand", "TabSheetWeapons", "Rifles"},
        {"scr_allow_sten", "check", "Sten", "TabSheetWeapons", "SubMachine Guns"},
        {"scr_allow_mp40", "check", "Mp40", "TabSheetWeapons", "SubMachine Guns"},
        {"scr_allow_thompson", "check", "Thompson", "TabSheetWeapons", "SubMachine Guns"},
        {"scr_allow_ppsh", "check", "Ppsh", "TabSheetWeapons", "SubMachine Guns"},
        {"scr_allow_bar", "check", "Bar", "TabSheetWeapons", "Machine Guns"},
        {"scr_allow_bren", "check", "Bren", "TabSheetWeapons", "Machine Guns"},
        {"scr_allow_mp44", "check", "Mp44", "TabSheetWeapons", "Machine Guns"},
        {"scr_allow_springfield", "check", "Springfield", "TabSheetWeapons", "Snipers"},
        {"scr_allow_nagantsniper", "check", "Nagant Sniper", "TabSheetWeapons", "Snipers"},
        {"scr_allow_kar98ksniper", "check", "Kar98k Sniper", "TabSheetWeapons", "Snipers"},
        {"scr_allow_fg42", "check", "Fg42", "TabSheetWeapons", "Others (in game)"},
        {"scr_allow_panzerfaust", "check", "Panzerfaust", "TabSheetWeapons", "Others (in game)"},
        {"prm_rifle_nades", "spin", "Grenades Riflles", "TabSheetWeapons", nullptr, 1, 1, 3},
        {"prm_mg_nades", "spin", "Grenades MG-SMG", "TabSheetWeapons", nullptr, 1, 1, 3},
        {"prm_sniper_nades", "spin", "Grenades Snipers", "TabSheetWeapons", nullptr, 1, 1, 3},
        {"scr_killcam", "check", "Kill cam", "TabSheetHelp", "Gameplay"},
        {"scr_freelook", "check", "Free look", "TabSheetHelp", "Gameplay"},
        {"scr_spectateenemy", "check", "Spectate enemy", "TabSheetHelp", "Gameplay"},
        {"scr_teambalance", "check", "Team balance", "TabSheetHelp", "Gameplay"},
        {"scr_drawfriend", "check", "Draw friend", "TabSheetHelp", "Gameplay"},
        {"scr_friendlyfire",
         "radio",
         "Friendly fire",
         "TabSheetHelp",
         "Gameplay",
         0,
         0,
         0,
         {"Turn Off damage", "Turn On damage", "Reflective damage", "Shared damage"}},
        {"prm_clanTags", "edit", "Tags Clan (nothing to disable)", "TabSheetHelp", "Clan settings"},
        {"prm_clanTeam", "combo", "Clan Team", "TabSheetHelp", "Clan settings", -1, 0, 0, {"allies", "axis"}},
        {"prm_clanVote", "check", "Allow clan vote", "TabSheetHelp", "Clan settings"},
        {"prm_bleeding", "check", "Bleeding", "TabSheetFx", nullptr},
        {"prm_dropHealthpacks", "check", "Drop health packs", "TabSheetFx", nullptr},
        {"prm_hitKnockdown", "check", "Knock down", "TabSheetFx", nullptr},
        {"prm_damageDropOff", "check", "Damage drop off", "TabSheetFx", nullptr},
        {"prm_realscore", "check", "Real score (dm && tdm)", "TabSheetFx", nullptr},
        {"sv_shellshock", "check", "Shellshock", "TabSheetFx", nullptr},
        {"prm_mg42onfire", "check", "MG42 On fire", "TabSheetFx", nullptr},
        {"prm_num_stukas", "spin", "Stukas", "TabSheetFx", nullptr, 0, 0, 3},
        {"bam_mortar_on", "check", "Mortars", "TabSheetFx", nullptr},
    };
    return options;
}

// The heading of the group that holds `control`, empty when it stands on the page itself.
std::string GroupOf(QWidget* control, QWidget* page) {
    for (QWidget* parent = control->parentWidget(); parent && parent != page; parent = parent->parentWidget())
        if (auto* group = qobject_cast<QGroupBox*>(parent))
            return group->title().toStdString();
    return {};
}

// The text of the label that stands beside `field` in its row.
std::string LabelOf(QWidget* field) {
    const auto* label = field->parentWidget()->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return label ? label->text().toStdString() : std::string();
}

TEST_F(MainFormTest, EveryOptionControlStandsOnItsPageWithItsCaptionRangeAndFirstValue) {
    for (const ExpectedOption& option : ExpectedOptions()) {
        SCOPED_TRACE(option.name);
        QWidget* control = form_->Find<QWidget>(QString::fromLatin1(option.name));
        ASSERT_NE(control, nullptr);
        QWidget* page = form_->Find<QWidget>(QString::fromLatin1(option.page));
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isAncestorOf(control));
        const std::string kind = option.kind;
        if (option.group) {
            EXPECT_EQ(GroupOf(control, page), option.group);
        }
        if (kind == "check") {
            auto* box = qobject_cast<QCheckBox*>(control);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->isChecked(), option.first != 0);
            EXPECT_EQ(box->text().toStdString(), option.caption);
        } else if (kind == "spin") {
            auto* spin = qobject_cast<TSpinEdit*>(control);
            ASSERT_NE(spin, nullptr);
            EXPECT_EQ(spin->Value(), option.first);
            EXPECT_EQ(spin->MinValue(), option.min);
            EXPECT_EQ(spin->MaxValue(), option.max);
            EXPECT_EQ(LabelOf(control), option.caption);
        } else if (kind == "radio") {
            auto* group = qobject_cast<TRadioGroup*>(control);
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(group->title().toStdString(), option.caption);
            EXPECT_EQ(group->ItemIndex(), option.first);
            ASSERT_EQ(group->Count(), static_cast<int>(option.items.size()));
            for (int i = 0; i < group->Count(); ++i)
                EXPECT_EQ(group->Item(i).toStdString(), option.items[static_cast<std::size_t>(i)]);
        } else if (kind == "combo") {
            auto* combo = qobject_cast<QComboBox*>(control);
            ASSERT_NE(combo, nullptr);
            EXPECT_EQ(combo->currentIndex(), option.first);
            ASSERT_EQ(combo->count(), static_cast<int>(option.items.size()));
            for (int i = 0; i < combo->count(); ++i)
                EXPECT_EQ(combo->itemText(i).toStdString(), option.items[static_cast<std::size_t>(i)]);
            EXPECT_EQ(LabelOf(control), option.caption);
        } else {
            auto* edit = qobject_cast<QLineEdit*>(control);
            ASSERT_NE(edit, nullptr);
            EXPECT_TRUE(edit->text().isEmpty());
            EXPECT_EQ(LabelOf(control), option.caption);
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

TEST_F(MainFormTest, TheServerConsoleTalksToTheServerOfTheAdvancedLines) {
    Control<QListWidget>("ListBoxCfg")->addItems({QStringLiteral("set net_port 28975")});
    form_->findChild<QAction*>(QStringLiteral("ServerConsole1"))->trigger();
    auto* console = form_->findChild<QDialog*>(QStringLiteral("ServerConsoleForm"));
    ASSERT_TRUE(console);
    EXPECT_TRUE(console->isVisible());
    EXPECT_EQ(console->findChild<QLabel*>(QStringLiteral("ConsoleAddress"))->text(),
              QStringLiteral("Server : 127.0.0.1:28975"));
    // The lines are read again when the console is shown again.
    console->hide();
    Control<QListWidget>("ListBoxCfg")->addItems({QStringLiteral("set net_port 28976")});
    form_->findChild<QAction*>(QStringLiteral("ServerConsole1"))->trigger();
    EXPECT_EQ(form_->findChildren<QDialog*>(QStringLiteral("ServerConsoleForm")).size(), 1);
    EXPECT_EQ(console->findChild<QLabel*>(QStringLiteral("ConsoleAddress"))->text(),
              QStringLiteral("Server : 127.0.0.1:28976"));
}

TEST_F(MainFormTest, MenusListTheirItemsInOrder) {
    QStringList seen;
    for (QAction* menuAction : form_->menuBar()->actions()) {
        seen << menuAction->text();
        for (QAction* item : menuAction->menu()->actions())
            seen << (item->isSeparator() ? QStringLiteral("-") : item->objectName() + QLatin1Char('=') + item->text());
    }
    EXPECT_EQ(seen.join(QLatin1Char('|')),
              QStringLiteral("&File|Showlogserver1=S&how log server|Showserveroutput1=Show server &output|"
                             "Savelogrunner1=&Save log runner|-|"
                             "StopServer1=S&top server|RestartServer1=&Restart server|-|Quit1=&Quit|"
                             "&Utils|GetIP1=&Get IP|JoinServeur1=&Join Serveur|ServerActivity1=&Server Activity|"
                             "ServerConsole1=Server co&nsole|-|"
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

// The advanced list says how its lines are edited.
TEST_F(MainFormTest, TheAdvancedListsTipSaysADoubleClickEditsALine) {
    EXPECT_TRUE(Control<QListWidget>("ListBoxCfg")->toolTip().contains(QStringLiteral("A double-click edits a line")))
        << Control<QListWidget>("ListBoxCfg")->toolTip().toStdString();
}

TEST_F(MainFormTest, BrowseTrimsThePickedFolderAndCancelKeepsTheOldOne) {
    auto* path = Control<QLineEdit>("EditPath");
    questions_.folders = {QStringLiteral("  /games/Call of Duty/// "), std::nullopt, QStringLiteral("/")};
    form_->ButtonBrowseClick();
    EXPECT_EQ(path->text(), QStringLiteral("/games/Call of Duty"));
    form_->ButtonBrowseClick();
    EXPECT_EQ(path->text(), QStringLiteral("/games/Call of Duty"));
    EXPECT_EQ(questions_.asked.front(), QStringLiteral("Install dir of Call of Duty"));
    // The picker starts at the game folder in use.
    EXPECT_EQ(questions_.folderStarts, QStringList({QString(), QStringLiteral("/games/Call of Duty")}));
    form_->ButtonBrowseClick();
    EXPECT_EQ(path->text(), QStringLiteral("/")); // the root keeps its separator: it still names a folder
    path->setText(QStringLiteral("/games/cod"));
    form_->ButtonFirstClick();
    EXPECT_TRUE(path->text().isEmpty());
}

TEST_F(MainFormTest, RunLogOnlyGrowsByWholeLines) {
    form_->Log(QStringLiteral("Path : valid path"));
    form_->Log(QStringLiteral("Standard cfg : saved"));
    auto* log = Control<QPlainTextEdit>("MemoLog");
    EXPECT_EQ(log->toPlainText(), QStringLiteral("Path : valid path\nStandard cfg : saved"));
    EXPECT_TRUE(log->isReadOnly());
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
    EXPECT_EQ(program_.Read("log.txt"), "Path : valid path\r\nJoin server - IP : 10.0.0.9\r\nServer shortcut : " +
                                            program_.File("COD Server.desktop") + "\r\n");

    form_->findChild<QAction*>(QStringLiteral("GetIP1"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("10.0.0.7"));
    EXPECT_TRUE(questions_.errors.isEmpty());
}

TEST_F(MainFormTest, AServerShortcutThatCannotBeWrittenIsReportedNamingTheFile) {
    // A folder below a plain file: no user, root included, can create a file there.
    const std::string folder = program_.Write("plain file", "") + "/links";
    const std::string launcher = folder + "/COD Server.desktop";
    questions_.folders = {QString::fromStdString(folder)};
    form_->findChild<QAction*>(QStringLiteral("CreateShortcut1"))->trigger();
    // One error box, naming the file and the system's reason.
    EXPECT_EQ(questions_.errors.join(u'\n').toStdString(),
              "Impossible de créer le fichier " + launcher + " (Not a directory)");
    EXPECT_TRUE(questions_.messages.isEmpty()) << questions_.messages.join(u'\n').toStdString();
    EXPECT_FALSE(Control<QPlainTextEdit>("MemoLog")->toPlainText().contains(QStringLiteral("Server shortcut")));
    EXPECT_FALSE(std::filesystem::exists(launcher));
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
    EXPECT_EQ(
        questions.errors.front(),
        QStringLiteral("Impossible de créer le fichier /nonexistent/quendry/maps.ini (No such file or directory)"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Brisela Quendry Version 2.0.0.0"));
}

} // namespace
