// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"
#include "platform/LogSink.h"
#include "server/StatusQuery.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The author's mail address, opened by "Mail Brisela".
inline constexpr const char* AuthorMailAddress = "brisela@example.org";

// The program's application id: the name of its icon in the icon theme and of its menu entry, as installed.
inline constexpr const char* ProgramIconName = "org.quendry.Quendry";

// What the launchers read from the main window at the moment of a click.
struct LauncherState {
    std::string gameFolder;                 // holds CoDMP.exe; no trailing separator
    std::string modFolder;                  // under the game folder
    std::string password;                   // the server password, g_password
    int dedicated = -1;                     // the server type's item index, -1 when none is chosen
    std::vector<std::string> runLog;        // the run log's lines
    std::vector<std::string> advancedLines; // the advanced list, whose net_port and net_ip the server must get
    Instance instance;                      // whose configuration files the server executes
};

// The small tools of the main window's menus and buttons: the machine's address, joining a server as a player,
// the server-activity tool, a launcher that starts the server, the server's log, the run log saved, the game
// folder, the author's links, the readme and the help documents. Documents, folders, links and programs open
// through the shell; questions go to the user through Ask().
class TLaunchers : public QObject {
    Q_OBJECT
public:
    // `state` reads the window; `log` appends a run log line; `webPage` is the author's web page.
    TLaunchers(std::function<LauncherState()> state, LogSink log, std::string webPage, QObject* parent);

    // Replaces the lookup of this machine's addresses (all of them, in the order of its interfaces).
    void SetAddressLookup(std::function<std::vector<std::string>()> lookup) { lookup_ = std::move(lookup); }
    // Replaces the status query that Server Activity makes when the server-activity tool is missing.
    void SetStatusQuery(std::function<StatusAnswer(const std::string& host, int port)> query) {
        statusQuery_ = std::move(query);
    }
    // Replaces where Get IP puts the address; nothing receives it until one is set.
    void SetClipboard(std::function<void(const std::string&)> clipboard) { clipboard_ = std::move(clipboard); }

    // The address others reach this machine at: its first address that is not a loopback one (IPv4 first), the
    // loopback address only when it has no other; empty when it has none.
    std::string LocalAddress() const;

    void GetIP1Click();
    void JoinServeur1Click();
    void ServerActivity1Click();
    // Starts the server-activity tool watching the server at `address`; without the tool, shows the server's
    // status (or why there is none) in a message.
    void OpenServerActivity(const std::string& address);
    // Writes a launcher that starts the server into the folder the user picks, logs its path and tells it; throws
    // FileError when it cannot be written.
    void CreateShortcut1Click();
    // Opens the server's console log, console_mp.log, in the text viewer; says so when it does not exist.
    void Showlogserver1Click();
    // Opens the output that the program keeps of the servers it starts, server.log; says so when it does not exist.
    void Showserveroutput1Click();
    void Savelogrunner1Click();
    void OpenCODfolder1Click();
    void Mailme1Click();
    void Briselawebsite1Click();
    void Readme1Click();
    // Also the "About bhm gametype" button of the maps page.
    void BHMgametype1Click();
    void Help2Click();
    void HelpcvarCOD1Click();

private:
    // The address the user confirms in the input box, or nullopt after Cancel; `offered` is what it starts with.
    std::optional<std::string> AskAddress(const std::string& offered) const;
    // Opens `log` in the text viewer, or tells the user that it does not exist, and `missing` why that may be.
    void OpenLogFile(const std::string& log, const std::string& missing) const;

    std::function<LauncherState()> state_;
    LogSink log_;
    std::string webPage_;
    std::function<std::vector<std::string>()> lookup_;
    std::function<void(const std::string&)> clipboard_;
    std::function<StatusAnswer(const std::string&, int)> statusQuery_;
};

// The launcher that starts the server from `folder` (as the folder picker gives it), without ".desktop".
std::string ShortcutName(const std::string& folder);
