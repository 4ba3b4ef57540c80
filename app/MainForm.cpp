// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainForm.h"

#include "ModFolder.h"

#include "app/Launchers.h"
#include "app/ServerConsoleForm.h"
#include "app/StatusWatch.h"
#include "app/VersionText.h"
#include "config/AdvancedList.h"
#include "config/OptionPages.h"
#include "config/OptionTable.h"
#include "forms/ColorCodeMenu.h"
#include "forms/Guard.h"
#include "forms/TabOrder.h"
#include "maps/MapScan.h"
#include "maps/Rotation.h"
#include "maps/RotationPage.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Utf8Text.h"
#include "server/ServerProcess.h"
#include "server/ServerSession.h"
#include "server/ServerStop.h"
#include "settings/IniFile.h"
#include "settings/ItemTexts.h"
#include "settings/SettingsLocation.h"
#include "widgets/AboutForm.h"
#include "widgets/CodeComboBox.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"
#include "widgets/UpDown.h"
#include "zip/ProgressForm.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <map>
#include <memory>

namespace {

constexpr int ClientWidth = 696;
// Whole lines the run log shows at the least.
constexpr int RunLogLines = 10;

// A section heading: bold red text with a black shadow, centred on a maroon bar.
TLabelExtra* Heading(const QString& text, QWidget* parent) {
    auto* label = new TLabelExtra(parent);
    label->setText(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    TLabelPen frame = label->OutLine(); // the colour of window frames
    frame.style = psInsideFrame;
    label->SetOutLine(frame);
    label->SetFontColor(RedOnMaroon());
    label->FontShadow().SetShadowColor(Qt::black);
    label->SetFilling(Maroon());
    label->setFixedHeight(label->fontMetrics().height() + 4);
    return label;
}

// The caption of an option control of this window, as the option table gives it.
QString Caption(const QWidget& control) {
    return FromUtf8(OptionNamed("MainForm", control.objectName().toStdString()).caption);
}

} // namespace

TMainForm::TMainForm()
    : QMainWindow(), TForm(*this, QStringLiteral("MainForm")),
      log_([this](const std::string& line) { Log(QString::fromStdString(line)); }),
      launcher_([this](const ServerLaunch& launch) { return std::optional<int>(serverProcess_->Start(launch)); }) {
    zip1_.LibraryFolder = GetProgramFolder();
    zip1_.MakeProgressWindow = [](TZip& owner) { return std::make_unique<TProgressForm>(owner); };
    auto* central = new QWidget(this);
    setCentralWidget(central);
    popupMenu_ = new TColorCodeMenu(this);
    Adopt(popupMenu_);
    launchers_ = new TLaunchers([this] { return ReadLauncherState(); }, log_, AuthorWebPage, this);
    launchers_->SetClipboard(
        [](const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); });
    serverProcess_ = new TServerProcess(log_, this);

    // Created in the order in which a settings file lists their keys; placed by the layouts below.
    QWidget* serverInfo = BuildServerInfo();
    QWidget* advanced = BuildAdvancedSettings();
    QTabWidget* pages = BuildPages();
    TSettingsButtons settingsButtons{};
    QWidget* commands = BuildCommandButtons(settingsButtons);
    QWidget* runLog = BuildRunLog();
    BuildMaintenance(settingsButtons);
    BuildMenus();
    // While the server of the game folder runs, the line under the run log shows what it says of itself, asked
    // where its command line told it to listen.
    // A server just started is asked by its start check, whose answer the line shows first; until then the line
    // counts the seconds of the start, as a query refused meanwhile means only that it is starting.
    connect(serverProcess_, &TServerProcess::Started, this, [this] {
        const auto address = serverProcess_->Address();
        if (address && serverProcess_->Checking())
            statusWatch_->AwaitStart(address->host, address->port);
        else if (address)
            StartStatusWatch(QString::fromStdString(address->host), address->port);
    });
    connect(serverProcess_, &TServerProcess::Answering, statusWatch_, &TStatusWatch::Answered);
    connect(serverProcess_, &TServerProcess::Ended, this, [this] { StopStatusWatch(); });
    // A server that runs but does not answer may yet, and the line goes on asking it; one that ended will not.
    connect(serverProcess_, &TServerProcess::StartFailed, this, [this](const QString& message, bool ended) {
        if (const auto address = serverProcess_->Address(); address && !ended)
            StartStatusWatch(QString::fromStdString(address->host), address->port);
        ended ? Ask().ShowError(message) : Ask().ShowWarning(message);
    });
    // A server left running by an earlier window or started by the command line is this window's to show and stop.
    connect(editPath_, &QLineEdit::textChanged, this, [this] { RunGuarded([this] { AdoptServer(); }); });

    auto* standard = new QWidget(central);
    auto* standardLayout = new QVBoxLayout(standard);
    standardLayout->setContentsMargins(0, 0, 0, 0);
    standardLayout->setSpacing(1);
    standardLayout->addWidget(Heading(QStringLiteral("Standard settings"), standard));
    // The pages scroll only on a screen too short for the window's designed size.
    pagesArea_ = new QScrollArea(standard);
    pagesArea_->setFrameShape(QFrame::NoFrame);
    pagesArea_->setFocusPolicy(Qt::NoFocus); // Tab goes through the pages' controls, not the area around them
    pagesArea_->setWidgetResizable(true);
    pagesArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pagesArea_->setWidget(pages);
    pagesArea_->setMinimumSize(pages->minimumSizeHint());
    standardLayout->addWidget(pagesArea_, 1);

    auto* layout = new QGridLayout(central);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(serverInfo, 0, 0, 1, 2);
    layout->addWidget(commands, 0, 2);
    layout->addWidget(standard, 1, 0);
    layout->addWidget(advanced, 1, 1, 2, 2);
    layout->addWidget(runLog, 2, 0);
    // The window starts at its designed size and may grow; the run log takes the extra room.
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(2, 1);

    // The pages keep the height they have at the designed size; the run log below them takes the growth.
    standard->setMaximumHeight(standard->minimumSizeHint().height());
    const QScreen* screen = this->screen();
    FitHeight(screen ? screen->availableGeometry().height() - style()->pixelMetric(QStyle::PM_TitleBarHeight)
                     : QWIDGETSIZE_MAX);
    if (screen)
        move(screen->availableGeometry().topLeft() +
             QPoint((screen->availableGeometry().width() - width()) / 2,
                    std::max(0, (screen->availableGeometry().height() - height()) / 2)));
    SetTabOrderByScreen(*this);
    // A list shows that it has the focus even while it is empty.
    for (QListWidget* list : findChildren<QListWidget*>())
        list->setStyleSheet(QStringLiteral("QListWidget { border: 1px solid palette(mid); } "
                                           "QListWidget:focus { border: 1px solid palette(highlight); }"));

    new TSettingsCommands(
        settingsButtons, [this](const TIniFile& ini) { LoadSettings(ini); },
        [this](const QString& fileName) { SaveSettings(fileName); }, this);
    RunGuarded([this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

QWidget* TMainForm::BuildServerInfo() {
    auto* group = new QGroupBox(QStringLiteral("Server Info (contextual menu for colors code)"), centralWidget());
    const auto edit = [this, group](std::string_view name) {
        return MakeOptionEdit(*this, OptionNamed("MainForm", name), group, optionControls_);
    };
    // Key order of a settings file: the text fields first, the game folder last.
    QLineEdit* hostName = edit("sv_hostname");
    QLineEdit* email = edit("Email");
    QLineEdit* admin = edit("Admin");
    QLineEdit* location = edit("Location");
    QLineEdit* password = edit("g_password");
    QLineEdit* motd = edit("scr_motd");
    editPath_ = edit(OptionName::GameFolder);
    editPath_->setReadOnly(true);
    editPath_->setFocusPolicy(Qt::NoFocus);
    QComboBox* dedicated =
        MakeOptionComboBox(*this, OptionNamed("MainForm", OptionName::Dedicated), group, optionControls_);
    for (QLineEdit* field : {hostName, admin, email, location, motd})
        popupMenu_->AttachTo(field);

    auto* banner = new QLabel(ApplicationTitle, group);
    banner->setObjectName(QStringLiteral("Banner"));
    banner->setAlignment(Qt::AlignCenter);
    banner->setStyleSheet(QStringLiteral("QLabel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #400000, "
                                         "stop:1 #b00000); color: white; font-weight: bold; padding: 2px; }"));

    auto* browse = MakeButton(QStringLiteral("ButtonBrowse"), QStringLiteral("..."), group);
    browse->setFixedWidth(28);
    ConnectGuarded(browse, &QPushButton::clicked, this, &TMainForm::ButtonBrowseClick);
    auto* messages = MakeButton(QStringLiteral("MessageButton"), QStringLiteral("Server messages"), group);
    ConnectGuarded(messages, &QPushButton::clicked, this, &TMainForm::MessageButtonClick);

    auto* left = new QFormLayout;
    left->setVerticalSpacing(2);
    left->setHorizontalSpacing(OptionCaptionGap);
    for (QWidget* field : std::initializer_list<QWidget*>{hostName, admin, email, password})
        left->addRow(Caption(*field), field);
    auto* right = new QFormLayout;
    right->setVerticalSpacing(2);
    right->setHorizontalSpacing(OptionCaptionGap);
    for (QWidget* field : std::initializer_list<QWidget*>{location, dedicated, motd})
        right->addRow(Caption(*field), field);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(editPath_);
    pathRow->addWidget(browse);
    auto* pathLabel = new QLabel(Caption(*editPath_), group);

    auto* layout = new QGridLayout(group);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setVerticalSpacing(2);
    layout->addWidget(banner, 0, 0, 1, 2);
    layout->addLayout(left, 1, 0);
    layout->addLayout(right, 1, 1);
    layout->addWidget(pathLabel, 2, 0);
    layout->addLayout(pathRow, 3, 0);
    layout->addWidget(messages, 3, 1);
    return group;
}

QWidget* TMainForm::BuildCommandButtons(TSettingsButtons& settingsButtons) {
    auto* column = new QWidget(centralWidget());
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 8, 0, 0);
    auto* run = MakeButton(QStringLiteral("ButtonRun"), QStringLiteral("Run"), column);
    run->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    run->setStyleSheet(QStringLiteral("QPushButton { color: red; font-weight: bold; }"));
    ConnectGuarded(run, &QPushButton::clicked, this, &TMainForm::ButtonRunClick);
    auto* save = MakeButton(QStringLiteral("ButtonSave"), QStringLiteral("Save"), column);
    auto* open = MakeButton(QStringLiteral("ButtonOpen"), QStringLiteral("Open"), column);
    auto* defaults = MakeButton(QStringLiteral("ButtonDefault"), QStringLiteral("Default"), column);
    settingsButtons.ButtonOpen = open;
    settingsButtons.ButtonSave = save;
    settingsButtons.ButtonDefault = defaults;
    for (QPushButton* button : {run, save, open, defaults}) {
        button->setMinimumHeight(28);
        layout->addWidget(button);
    }
    layout->addStretch();
    return column;
}

QTabWidget* TMainForm::BuildPages() {
    pages_ = Own<QTabWidget>(QStringLiteral("PageControl1"), centralWidget());
    QGridLayout& effects = AddOptionPages(*this, *pages_, optionControls_);
    auto* fog = MakeButton(QStringLiteral("FogButton"), QStringLiteral("Fog settings"), effects.parentWidget());
    ConnectGuarded(fog, &QPushButton::clicked, this, &TMainForm::FogButtonClick);
    effects.addWidget(fog, 0, 1);
    pages_->addTab(BuildMapsPage(), QStringLiteral("Maps and gametype"));
    return pages_;
}

QWidget* TMainForm::BuildMapsPage() {
    auto* page = Own<QWidget>(QStringLiteral("TabSheetMpas"), nullptr);
    mapsPage_ = page;
    auto* maps = Own<QListWidget>(QStringLiteral("ListBoxMaps"), page);
    auto* selected = optionControls_.Bind(OptionNamed("MainForm", OptionName::Rotation),
                                          Own<QListWidget>(FromUtf8(OptionName::Rotation), page));
    // The gametypes show their names; the list's items, which settings files keep, stay the codes.
    auto* gametype = optionControls_.Bind(OptionNamed("MainForm", OptionName::Gametype),
                                          Own<TCodeComboBox>(FromUtf8(OptionName::Gametype), GametypeName, page));
    auto* bhm = MakeButton(QStringLiteral("BhmButton"), QStringLiteral("About bhm gametype"), page);
    ConnectGuarded(bhm, &QPushButton::clicked, launchers_, &TLaunchers::BHMgametype1Click);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    auto* toRight = MakeButton(QStringLiteral("ButtonToRight"), QStringLiteral(">>"), page);
    auto* scan = MakeButton(QStringLiteral("ButtonScan"), QStringLiteral("Scan Maps"), page);
    auto* up = MakeButton(QStringLiteral("ButtonUp"), QStringLiteral("up"), page);
    auto* toLeft = MakeButton(QStringLiteral("ButtonToLeft"), QStringLiteral("Delete map"), page);
    auto* down = MakeButton(QStringLiteral("ButtonDown"), QStringLiteral("down"), page);
    for (QPushButton* button : {toRight, scan, up, toLeft, down})
        buttons->addWidget(button);
    buttons->addStretch();
    ConnectGuarded(scan, &QPushButton::clicked, this, &TMainForm::ButtonScanClick);
    rotationPage_ = new TRotationPage({gametype, maps, selected, toRight, toLeft, up, down}, mapsList_, this);
    rotationPage_->SetLog([this](const QString& line) { Log(line); });

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Gametype"), page));
    top->addWidget(gametype, 1);
    top->addWidget(bhm);
    // Each list under a caption that says which is which.
    const auto captioned = [page](const QString& caption, QListWidget* list) {
        auto* column = new QVBoxLayout;
        column->setSpacing(1);
        auto* label = new QLabel(caption, page);
        label->setBuddy(list);
        column->addWidget(label);
        column->addWidget(list, 1);
        return column;
    };
    auto* lists = new QHBoxLayout;
    lists->addLayout(captioned(QStringLiteral("Maps of this gametype"), maps), 1);
    lists->addLayout(buttons);
    lists->addLayout(captioned(QStringLiteral("Rotation"), selected), 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addLayout(lists, 1);
    return page;
}

QWidget* TMainForm::BuildAdvancedSettings() {
    auto* area = new QWidget(centralWidget());
    TAdvancedList::Controls& controls = advancedControls_;
    controls.ListBoxCfg = optionControls_.Bind(OptionNamed("MainForm", OptionName::AdvancedLines),
                                               Own<QListWidget>(FromUtf8(OptionName::AdvancedLines), area));
    controls.UpDown1 = Own<TUpDown>(QStringLiteral("UpDown1"), 0, -1, -1, area);
    controls.UpDown1->setToolTip(QStringLiteral("Go to the previous or the next comment line"));
    controls.ButtonUp2 = MakeButton(QStringLiteral("ButtonUp2"), QStringLiteral("Up"), area);
    controls.ButtonDown2 = MakeButton(QStringLiteral("ButtonDown2"), QStringLiteral("Down"), area);
    controls.Button2 = MakeButton(QStringLiteral("Button2"), QStringLiteral("Insert line"), area);
    controls.Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("Insert comment"), area);
    controls.ButtonInsertSetting =
        MakeButton(QStringLiteral("ButtonInsertSetting"), QStringLiteral("Insert Setting"), area);
    controls.ButtonDeleteLine = MakeButton(QStringLiteral("ButtonDeleteLine"), QStringLiteral("Delete Line"), area);
    // Two columns, in pairs: the moves, the insertions, then the deletion beside the setting.
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    int place = 0;
    for (QAbstractButton* button : {controls.ButtonUp2, controls.ButtonDown2, controls.Button2, controls.Button1,
                                    controls.ButtonInsertSetting, controls.ButtonDeleteLine}) {
        buttons->addWidget(button, place / 2, place % 2);
        ++place;
    }
    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(0);
    listRow->addWidget(controls.ListBoxCfg, 1);
    listRow->addWidget(controls.UpDown1);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(Heading(QStringLiteral("Advanced settings"), area));
    layout->addLayout(listRow, 1);
    layout->addLayout(buttons);
    return area;
}

QWidget* TMainForm::BuildRunLog() {
    auto* area = new QWidget(centralWidget());
    memoLog_ = Own<QPlainTextEdit>(QStringLiteral("MemoLog"), area);
    memoLog_->setReadOnly(true);
    memoLog_->setFocusPolicy(Qt::NoFocus);
    memoLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoLog_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; color: white; font-weight: bold; }"));
    QFont bold = memoLog_->font();
    bold.setBold(true);
    // Scrolled to its end, the log shows as many whole lines as fit above the document's margin and one more
    // pixel: that pixel too is needed for the last of them.
    const int frame = 2 * (memoLog_->frameWidth() + qRound(memoLog_->document()->documentMargin())) + 1;
    memoLog_->setMinimumHeight(RunLogLines * QFontMetrics(bold).lineSpacing() + frame);
    // A log that shows its last line keeps showing it whole when its height changes, so that no room is left
    // below it and no line is cut.
    QScrollBar* bar = memoLog_->verticalScrollBar();
    auto atEnd = std::make_shared<bool>(true);
    connect(bar, &QScrollBar::valueChanged, memoLog_, [bar, atEnd](int value) { *atEnd = value == bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, memoLog_, [bar, atEnd](int, int maximum) {
        if (*atEnd)
            bar->setValue(maximum);
    });
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(Heading(QStringLiteral("Log runner"), area));
    layout->addWidget(memoLog_, 1);
    // The status of a running server while one is watched, empty otherwise; its line is kept from the start, so
    // that nothing above it moves when a server starts or stops.
    labelStatus_ = Own<QLabel>(QStringLiteral("LabelStatus"), area);
    labelStatus_->setTextFormat(Qt::PlainText); // the server names itself: its name is never markup
    labelStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long host name is cut at the run log's width rather than widening the window's layout.
    labelStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    labelStatus_->setFixedHeight(labelStatus_->fontMetrics().height());
    layout->addWidget(labelStatus_);
    statusWatch_ = new TStatusWatch(this);
    connect(statusWatch_, &TStatusWatch::LineChanged, labelStatus_, &QLabel::setText);
    return area;
}

void TMainForm::FitHeight(int height) {
    // As tall as the controls need: the run log shows its lines whole, the pages their controls; on a shorter
    // screen the pages give up the difference and scroll.
    const int pages = pagesArea_->widget()->minimumSizeHint().height();
    pagesArea_->setMinimumHeight(pages);
    // Measured afresh: the layouts keep the sizes of an earlier fit until they run again.
    pagesArea_->parentWidget()->layout()->invalidate();
    pagesArea_->parentWidget()->updateGeometry();
    const int designed = centralWidget()->layout()->totalMinimumSize().height() + menuBar()->sizeHint().height();
    const int fitted = std::clamp(height, designed - pages, designed);
    pagesArea_->setMinimumHeight(pages - (designed - fitted));
    setMinimumSize(ClientWidth, fitted);
    resize(minimumSize());
}

void TMainForm::StartStatusWatch(const QString& host, int port) {
    statusWatch_->Start(host.toStdString(), port);
}

void TMainForm::StopStatusWatch() {
    statusWatch_->Stop();
}

QGroupBox* TMainForm::BuildMaintenance(TSettingsButtons& settingsButtons) {
    auto* group = Own<QGroupBox>(QStringLiteral("GroupBox4"), centralWidget());
    auto* layout = new QHBoxLayout(group);
    settingsButtons.AddPk3 = MakeButton(QStringLiteral("AddPk3"), QStringLiteral("Add pk3"), group);
    settingsButtons.AddDefault = MakeButton(QStringLiteral("AddDefault"), QStringLiteral("Add Default"), group);
    layout->addWidget(settingsButtons.AddPk3);
    layout->addWidget(settingsButtons.AddDefault);
    auto* first = MakeButton(QStringLiteral("ButtonFirst"), QStringLiteral("First"), group);
    ConnectGuarded(first, &QPushButton::clicked, this, &TMainForm::ButtonFirstClick);
    layout->addWidget(first);
    group->hide();
    return group;
}

void TMainForm::BuildMenus() {
    struct Item {
        const char* name; // empty for a separator
        const char* caption;
        void (TMainForm::*handler)();
        void (TLaunchers::*launcher)();
    };
    const std::pair<const char*, std::vector<Item>> menus[] = {
        {"File1|&File",
         {{"Showlogserver1", "S&how log server", nullptr, &TLaunchers::Showlogserver1Click},
          {"Showserveroutput1", "Show server &output", nullptr, &TLaunchers::Showserveroutput1Click},
          {"Savelogrunner1", "&Save log runner", nullptr, &TLaunchers::Savelogrunner1Click},
          {"", "", nullptr, nullptr},
          {"StopServer1", "S&top server", &TMainForm::StopServer1Click, nullptr},
          {"RestartServer1", "&Restart server", &TMainForm::RestartServer1Click, nullptr},
          {"", "", nullptr, nullptr},
          {"Quit1", "&Quit", &TMainForm::Quit1Click, nullptr}}},
        {"Utils1|&Utils",
         {{"GetIP1", "&Get IP", nullptr, &TLaunchers::GetIP1Click},
          {"JoinServeur1", "&Join Serveur", nullptr, &TLaunchers::JoinServeur1Click},
          {"ServerActivity1", "&Server Activity", nullptr, &TLaunchers::ServerActivity1Click},
          {"ServerConsole1", "Server co&nsole", &TMainForm::ServerConsole1Click, nullptr},
          {"", "", nullptr, nullptr},
          {"CreateShortcut1", "&Create server shortcut", nullptr, &TLaunchers::CreateShortcut1Click},
          {"OpenCODfolder1", "&Open COD folder", nullptr, &TLaunchers::OpenCODfolder1Click},
          {"", "", nullptr, nullptr},
          {"Mailme1", "&Mail Brisela", nullptr, &TLaunchers::Mailme1Click},
          {"Briselawebsite1", "Brisela &web site", nullptr, &TLaunchers::Briselawebsite1Click}}},
        {"Help1|?",
         {{"About1", "&About", &TMainForm::About1Click, nullptr},
          {"Readme1", "&Readme", nullptr, &TLaunchers::Readme1Click},
          {"", "", nullptr, nullptr},
          {"BHMgametype1", "&BHM gametype", nullptr, &TLaunchers::BHMgametype1Click},
          {"Help2", "&PRM", nullptr, &TLaunchers::Help2Click},
          {"HelpcvarCOD1", "&COD cvar", nullptr, &TLaunchers::HelpcvarCOD1Click}}},
    };
    for (const auto& [title, items] : menus) {
        const QStringList parts = QString::fromLatin1(title).split(QLatin1Char('|'));
        QMenu* menu = menuBar()->addMenu(parts[1]);
        menu->setObjectName(parts[0]);
        for (const Item& item : items) {
            if (*item.name == '\0') {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            if (item.handler)
                ConnectGuarded(action, &QAction::triggered, this, item.handler);
            else
                ConnectGuarded(action, &QAction::triggered, launchers_, item.launcher);
        }
    }
    // Stop acts on a running server, Restart on the last one started.
    auto* stop = findChild<QAction*>(QStringLiteral("StopServer1"));
    auto* restart = findChild<QAction*>(QStringLiteral("RestartServer1"));
    const auto refresh = [this, stop, restart] {
        stop->setEnabled(serverProcess_->Running());
        restart->setEnabled(serverProcess_->CanRestart());
    };
    refresh();
    connect(serverProcess_, &TServerProcess::Started, this, refresh);
    connect(serverProcess_, &TServerProcess::Ended, this, refresh);
}

QPushButton* TMainForm::MakeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = Own<QPushButton>(name, caption, parent);
    button->setAutoDefault(false);
    return button;
}

QString TMainForm::GamePath() const {
    return editPath_->text();
}

void TMainForm::Log(const QString& line) {
    memoLog_->appendPlainText(line);
    memoLog_->verticalScrollBar()->setValue(memoLog_->verticalScrollBar()->maximum()); // the last line shows
}

void TMainForm::AttachDialogs(const TMainDialogs& dialogs) {
    fogForm_ = dialogs.fog;
    fogOptions_ = &dialogs.fogOptions;
    msgForm_ = dialogs.messages;
    msgOptions_ = &dialogs.messageOptions;
    aboutForm_ = dialogs.about;
    advancedList_ = new TAdvancedList(advancedControls_, dialogs.newSetting, this,
                                      [this](QDialog& dialog) { ShowDialog(&dialog); });
    advancedList_->RefreshCommentIndex();
}

void TMainForm::FormCreate() {
    // A window of an instance says which, after the program's own caption.
    const Instance& instance = WindowInstance();
    setWindowTitle(
        MainFormCaption(QString::fromStdString(GetVersionText())) +
        (instance.IsPlain() ? QString() : QStringLiteral(" [%1]").arg(QString::fromStdString(instance.Name()))));
    mapsList_.clear();
    CreateUserFolder();
    const QString mapsFile = QString::fromStdString(MapsFilePath());
    if (!QFile::exists(mapsFile))
        WriteFileAtomically(mapsFile.toStdString(), "");
    mapsList_ = ReadIniLines(mapsFile);
}

void TMainForm::FormShow() {
    pathRestored_ = !GamePath().isEmpty();
    rotationPage_->FillMapsList();
}

void TMainForm::FormClose() {
    mapsList_.clear();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (serverProcess_->Running()) {
        const auto leave =
            Ask().AskYesNoCancel(QStringLiteral("The server of this game folder is still running. Leave it running?\n\n"
                                                "Yes leaves it running, No stops it, Cancel keeps the window open."),
                                 QuestionTone::Question, false);
        if (!leave) {
            event->ignore();
            return;
        }
        RunGuarded([this, leave] { *leave ? serverProcess_->LeaveRunning() : serverProcess_->Stop(); });
    }
    RunGuarded([this] { FormClose(); });
    RunGuarded([this] { SaveSettings(DefaultSettingsFile()); });
    event->accept();
}

void TMainForm::RestoreLastState() {
    std::optional<TIniFile> lastState;
    try {
        lastState.emplace(DefaultSettingsFile());
    } catch (const std::exception&) {
        // an unreadable file loads nothing, like a missing one
    }
    if (lastState)
        LoadWindowSettings(*lastState, SettingsWindows());
    advancedList_->RefreshCommentIndex();
}

void TMainForm::LoadSettings(const TIniFile& ini) {
    LoadWindowSettings(ini, SettingsWindows());
    RefreshAfterLoad();
}

void TMainForm::LoadSettings(const QString& fileName) {
    LoadSettings(TIniFile(fileName));
}

void TMainForm::SaveSettings(const QString& fileName) const {
    SaveWindowSettings(fileName, SettingsWindows());
}

OptionWindows TMainForm::SettingsWindows() const {
    return {&optionControls_, fogOptions_, msgOptions_};
}

void TMainForm::RefreshAfterLoad() {
    advancedList_->RefreshCommentIndex();
    rotationPage_->FillMapsList();
}

void TMainForm::AdoptServer() {
    serverProcess_->Adopt(ModFolderPath(GamePath().toStdString()), WindowInstance());
}

void TMainForm::ButtonRunClick() {
    // Another instance's server on the same port is not this window's to stop: nothing is written.
    const OptionValues options = MainOptionValues();
    const NetSettings net = NetSettingsOf(options.AdvancedLines());
    const auto refuse = [this](const std::string& message) {
        Log(QString::fromStdString("Run : not started, " + message));
        Ask().ShowMessage(QString::fromStdString(message));
    };
    if (const auto other = FindPortClash(ModFolderPath(options.GameFolder()), WindowInstance(), net))
        return refuse(PortClashMessage(*other, net));
    AdoptServer();
    if (serverProcess_->Running()) {
        if (!Ask().AskYesNo(QStringLiteral("The server of this game folder is still running. Stop it and start "
                                           "it again with these settings?"))) {
            Log(QStringLiteral("Run : not started, the server of this game folder still runs"));
            return;
        }
        serverProcess_->Stop();
        if (serverProcess_->Running())
            return;
    }
    // Nor is another program that holds the port, which the window's own server freed if it had it.
    if (const auto holder = FindPortHolder(net))
        return refuse(PortHeldMessage(*holder, options.GameFolder()));
    RunFromWindow();
}

RunOutcome TMainForm::RunFromWindow() {
    // The dialogs' options count once they are attached.
    OptionValues options = CollectOptionValues(SettingsWindows());
    const RunSettings settings = RunSettingsOf(std::move(options), PathRestored(), WindowInstance());
    const RunEnvironment environment{log_, [] { return QDateTime::currentDateTime(); }, launcher_};
    const RunOutcome outcome = RunServer(settings, environment);
    const std::string gameFolder = settings.options.GameFolder();
    if (outcome != RunOutcome::Launched)
        Ask().ShowMessage(QString::fromStdString(RunStopMessage(outcome, gameFolder)));
    if (outcome == RunOutcome::InvalidGamePath) {
        if (GameFolderToPick(gameFolder))
            ButtonBrowseClick();
    } else if (outcome == RunOutcome::NoMaps) {
        pages_->setCurrentWidget(mapsPage_);
    }
    return outcome;
}

void TMainForm::ButtonScanClick() {
    ScanFromWindow();
}

bool TMainForm::ScanFromWindow() {
    const LogSink& log = log_;
    const std::string gameFolder = GamePath().toStdString();
    if (!CheckGamePath(gameFolder, log)) {
        Ask().ShowMessage(QString::fromStdString(NoGameFolderToScanMessage(gameFolder)));
        if (GameFolderToPick(gameFolder))
            ButtonBrowseClick();
        return false;
    }
    ScanMaps(zip1_, gameFolder, ModFolderName, mapsList_, log);
    rotationPage_->FillMapsList();
    return true;
}

void TMainForm::ButtonBrowseClick() {
    const auto folder = Ask().PickFolder(QStringLiteral("Install dir of Call of Duty"), GamePath());
    if (folder)
        editPath_->setText(QString::fromStdString(TrimFolderPath(folder->toStdString())));
}

void TMainForm::ButtonFirstClick() {
    editPath_->clear();
}

void TMainForm::Quit1Click() {
    close();
}

void TMainForm::StopServer1Click() {
    serverProcess_->Stop();
}

void TMainForm::RestartServer1Click() {
    AdoptServer();
    serverProcess_->Restart();
}

void TMainForm::FogButtonClick() {
    ShowDialog(&fogForm_());
}

void TMainForm::MessageButtonClick() {
    ShowDialog(&msgForm_());
}

void TMainForm::About1Click() {
    if (aboutForm_)
        ShowDialog(&aboutForm_());
}

void TMainForm::ServerConsole1Click() {
    if (!serverConsole_) {
        serverConsole_ = new TServerConsoleForm([this] { return MainOptionValues().AdvancedLines().Strings(); }, this);
        CentreOver(*serverConsole_, *this);
    }
    serverConsole_->show();
    serverConsole_->raise();
}

OptionValues TMainForm::MainOptionValues() const {
    OptionValues options;
    optionControls_.CollectInto(options);
    return options;
}

LauncherState TMainForm::ReadLauncherState() const {
    const OptionValues options = MainOptionValues();
    return {options.GameFolder(), ModFolderName,        options.Text("g_password"),
            options.Dedicated(),  MemoLines(*memoLog_), options.AdvancedLines().Strings(),
            WindowInstance()};
}

void TMainForm::ShowDialog(QDialog* dialog) {
    if (!dialog)
        return;
    CentreOver(*dialog, *this);
    dialog->exec();
}
