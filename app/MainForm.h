// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/RunSequence.h"
#include "config/AdvancedList.h"
#include "config/OptionControls.h"
#include "forms/Form.h"
#include "platform/LogSink.h"
#include "settings/SettingsCommands.h"
#include "zip/Zip.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class TColorCodeMenu;
class TFormNewSetting;
class TLaunchers;
class TRotationPage;
class TServerConsoleForm;
class TServerProcess;
class TStatusWatch;
class TUpDown;

// The windows that the main window opens, each built when first opened: the "New Setting" dialog of the advanced
// list, the fog and messages dialogs with the options that hold their saved settings until then, and the about box.
struct TMainDialogs {
    std::function<TFormNewSetting&()> newSetting;
    std::function<QDialog&()> fog;
    const TOptionSource& fogOptions;
    std::function<QDialog&()> messages;
    const TOptionSource& messageOptions;
    std::function<QDialog&()> about;
};

// The main window: server info, the pages of options, the rotation, the advanced list, the run log, the
// menus, and the program-wide values that the other windows and commands read.
class TMainForm : public QMainWindow, public TForm {
    Q_OBJECT
public:
    TMainForm();
    ~TMainForm() override;

    // The game folder: the text of EditPath, without trailing separator.
    QString GamePath() const;
    // The lines of "maps.ini".
    const QStringList& MapsList() const { return mapsList_; }
    // True when the game folder was restored from the saved settings when the window was first shown.
    bool PathRestored() const { return pathRestored_; }
    // The colour-code context menu of the text fields.
    TColorCodeMenu& PopupMenu() const { return *popupMenu_; }
    // Gives this window the dialogs it opens, created after it, and indexes the advanced list's comments. Until
    // then the dialog buttons and the advanced list's buttons do nothing.
    void AttachDialogs(const TMainDialogs& dialogs);
    // The tools of the menus: join, server activity, shortcut, logs, links and documents.
    TLaunchers& Launchers() const { return *launchers_; }
    // The server of the game folder, started by the window or found running; its signals tell when one runs.
    TServerProcess& ServerProcess() const { return *serverProcess_; }

    // Appends one whole line to the run log.
    void Log(const QString& line);

    // Loads the last state of the windows (the default settings file; an unreadable one loads nothing) into this
    // window and its dialogs, once AttachDialogs ran, and indexes the advanced list's comments again.
    void RestoreLastState();
    // Loads a settings file into every window, then indexes the advanced list's comments again and lists the
    // maps of the loaded gametype (which cuts the rotation to them). The file name's variant throws when the file
    // cannot be read.
    void LoadSettings(const TIniFile& ini);
    void LoadSettings(const QString& fileName);
    // Saves the settings of every window into a settings file, keeping its other sections and keys.
    void SaveSettings(const QString& fileName) const;

    // Prepares the program-wide values when the window is created.
    void FormCreate();
    // Runs once, when the window is first shown.
    void FormShow();
    // Frees the program-wide lists; the settings are saved after it.
    void FormClose();

    // The Run: writes the server's files and starts it; tells the user what is missing when it cannot. Asks
    // first whether to stop the server of the game folder when it still runs.
    void ButtonRunClick();
    // The Run, reporting how far it went; a failing step throws.
    RunOutcome RunFromWindow();
    // Replaces how the server is started.
    void SetServerLauncher(ServerLauncher launcher) { launcher_ = std::move(launcher); }

    // Shows the status of the server at `host` on `port` under the run log, asked again every five seconds, until
    // StopStatusWatch.
    void StartStatusWatch(const QString& host, int port);
    // Stops asking and empties the status line.
    void StopStatusWatch();

    // Makes the window as tall as its design when `height` allows, else `height` tall (the least that shows the run
    // log's lines) with the option pages scrolled: a screen shorter than the design still shows the whole window.
    void FitHeight(int height);

    // Scan Maps: rebuilds the map catalogue from the game's archives; asks for the game folder when it is not
    // valid.
    void ButtonScanClick();
    // Scan Maps, reporting whether it ran: false when the game folder is not valid; a failing archive throws and
    // leaves "maps.ini" as it was.
    bool ScanFromWindow();

    void ButtonBrowseClick();
    void ButtonFirstClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Takes on the server of the game folder when one runs that the window does not hold yet.
    void AdoptServer();
    void Quit1Click();
    void StopServer1Click();
    void RestartServer1Click();
    void FogButtonClick();
    void MessageButtonClick();
    void About1Click();
    // Opens the server console (created at the first use), which talks to the server of the advanced lines.
    void ServerConsole1Click();

    QWidget* BuildServerInfo();
    QWidget* BuildCommandButtons(TSettingsButtons& settingsButtons);
    QTabWidget* BuildPages();
    QWidget* BuildMapsPage();
    QWidget* BuildAdvancedSettings();
    QWidget* BuildRunLog();
    QGroupBox* BuildMaintenance(TSettingsButtons& settingsButtons);
    void BuildMenus();
    void RefreshAfterLoad();
    // The option controls of this window and of its dialogs, null for those not attached yet.
    OptionWindows SettingsWindows() const;
    QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
    void ShowDialog(QDialog* dialog);
    // The values of this window's own options, without its dialogs'.
    OptionValues MainOptionValues() const;
    struct LauncherState ReadLauncherState() const;

    QStringList mapsList_;
    bool pathRestored_ = false;
    bool shown_ = false;
    // The run log as the layers below write to it.
    const LogSink log_;
    ServerLauncher launcher_;
    TOptionControls optionControls_;
    TColorCodeMenu* popupMenu_ = nullptr;
    TLaunchers* launchers_ = nullptr;
    TRotationPage* rotationPage_ = nullptr;
    TAdvancedList* advancedList_ = nullptr;
    TServerProcess* serverProcess_ = nullptr;
    QPlainTextEdit* memoLog_ = nullptr;
    QLabel* labelStatus_ = nullptr;
    TStatusWatch* statusWatch_ = nullptr;
    QLineEdit* editPath_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QScrollArea* pagesArea_ = nullptr;
    QWidget* mapsPage_ = nullptr;
    TAdvancedList::Controls advancedControls_{};
    std::function<QDialog&()> fogForm_;
    const TOptionSource* fogOptions_ = nullptr;
    std::function<QDialog&()> msgForm_;
    const TOptionSource* msgOptions_ = nullptr;
    std::function<QDialog&()> aboutForm_;
    TServerConsoleForm* serverConsole_ = nullptr;
    TZip zip1_;
};
