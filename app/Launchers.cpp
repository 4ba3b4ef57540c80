// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Launchers.h"

#include "app/RunSequence.h"
#include "forms/Questions.h"
#include "platform/AtomicFile.h"
#include "platform/Network.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ShellLink.h"
#include "server/GamePort.h"
#include "server/ServerFiles.h"
#include "server/ServerProgram.h"
#include "server/StatusText.h"
#include "settings/SettingsLocation.h"

#include <QStringList>

#include <filesystem>

namespace {

// Said when a document, a folder or a link cannot open because the desktop's opener is missing.
void SayNoOpener(const std::string& file) {
    Ask().ShowMessage(QStringLiteral("No program to open %1 is installed: xdg-open is missing.\n"
                                     "Install it with:  sudo apt install xdg-utils")
                          .arg(QString::fromStdString(file)));
}

// Documents, folders, links and programs open alike; a failure to open is not reported, except a missing opener,
// without which every document and link would fail without a word.
void Open(const std::string& file, const std::string& parameters = {}) {
    if (ShellOpen(file, parameters) == ShellOpenNoProgram && !IsWindowsProgram(file))
        SayNoOpener(file);
}

std::string GameProgram(const LauncherState& state) {
    return JoinPath(state.gameFolder, WindowsServerName);
}

} // namespace

std::string ShortcutName(const std::string& folder) {
    return JoinPath(TrimFolderPath(folder), "COD Server");
}

TLaunchers::TLaunchers(std::function<LauncherState()> state, LogSink log, std::string webPage, QObject* parent)
    : QObject(parent), state_(std::move(state)), log_(std::move(log)), webPage_(std::move(webPage)),
      lookup_([] { return InterfaceAddresses(); }),
      statusQuery_([](const std::string& host, int port) { return QueryServerStatus(host, port); }) {}

std::string TLaunchers::LocalAddress() const {
    return ReachableAddress(lookup_());
}

std::optional<std::string> TLaunchers::AskAddress(const std::string& offered) const {
    const auto answer =
        Ask().AskText(QStringLiteral("Your IP"), QStringLiteral("Type here your IP"), QString::fromStdString(offered));
    if (!answer)
        return std::nullopt;
    return answer->toStdString();
}

void TLaunchers::GetIP1Click() {
    const std::string address = LocalAddress();
    if (clipboard_)
        clipboard_(address);
    Ask().ShowMessage(QStringLiteral("Your IP is : ") + QString::fromStdString(address) +
                      QStringLiteral(" (IP is now stored in the clipboard)"));
}

void TLaunchers::JoinServeur1Click() {
    const LauncherState state = state_();
    const std::string offered = LocalAddress();
    const auto address = AskAddress(offered);
    if (address)
        Open(GameProgram(state), "+connect " + *address + " +set password " + state.password);
    log_("Join server - IP : " + address.value_or(offered));
}

void TLaunchers::ServerActivity1Click() {
    if (const auto address = AskAddress(LocalAddress()))
        OpenServerActivity(*address);
}

void TLaunchers::OpenServerActivity(const std::string& address) {
    const std::string tool = SideFile("utils/CODSA.exe");
    std::error_code missing;
    if (std::filesystem::exists(tool, missing)) {
        Open(tool, address + " " + std::to_string(DefaultGamePort));
        return;
    }
    const StatusAnswer answer = statusQuery_(address, DefaultGamePort);
    if (!answer.status) {
        Ask().ShowMessage(QString::fromStdString(answer.error));
        return;
    }
    QStringList report;
    for (const std::string& line : StatusReport(*answer.status))
        report << QString::fromStdString(line);
    Ask().ShowMessage(report.join(QLatin1Char('\n')));
}

void TLaunchers::CreateShortcut1Click() {
    const auto folder = Ask().PickFolder(QStringLiteral("Select directory for the shortcut"), QString());
    if (!folder)
        return;
    const LauncherState state = state_();
    // Starts the server a Run starts, with the configuration files that the last Run left in the mod folder.
    const std::string target = ServerExecutable(state.gameFolder);
    const std::string launcher = WriteShellLink(
        target, ShortcutName(folder->toStdString()),
        ServerParameters(state.dedicated, state.modFolder, NetSettingsOf(state.advancedLines), state.instance),
        ProgramIconName);
    log_("Server shortcut : " + launcher);
    Ask().ShowMessage(QStringLiteral("The server shortcut is written: ") + QString::fromStdString(launcher));
}

void TLaunchers::Showlogserver1Click() {
    const LauncherState state = state_();
    if (state.gameFolder.empty()) {
        Ask().ShowMessage(QStringLiteral("No log"));
        return;
    }
    OpenLogFile(JoinPath(JoinPath(state.gameFolder, state.modFolder), "console_mp.log"),
                "The server writes it only while its console log is on: add the line set logfile 1 to the "
                "advanced settings.");
}

void TLaunchers::Showserveroutput1Click() {
    const LauncherState state = state_();
    if (state.gameFolder.empty()) {
        Ask().ShowMessage(QStringLiteral("No log"));
        return;
    }
    OpenLogFile(ServerLogFile(JoinPath(state.gameFolder, state.modFolder), state.instance),
                "It holds the output of the servers that Run starts, from the first start on.");
}

void TLaunchers::OpenLogFile(const std::string& log, const std::string& missing) const {
    std::error_code error;
    if (!std::filesystem::exists(log, error)) {
        Ask().ShowMessage(QString::fromStdString("No log : " + log + " does not exist. " + missing));
        return;
    }
    // Quoted, so that a game folder with blanks names one file.
    if (StartProgram(GetTextViewerCommand(), "\"" + log + "\"", false) == ProgramNotStarted)
        SayNoOpener(log);
}

void TLaunchers::Savelogrunner1Click() {
    const auto file =
        Ask().PickSaveFile(QStringLiteral("Save run log"), QString::fromStdString(GetProgramFolders().userFiles),
                           QStringLiteral("Text files (*.txt)"), QStringLiteral("txt"));
    if (!file)
        return;
    if (const std::string own = ProgramOwnFile(file->toStdString()); !own.empty()) {
        Ask().ShowMessage(QString::fromStdString(ProgramOwnFileMessage(file->toStdString(), own)));
        return;
    }
    std::string text;
    for (const std::string& line : state_().runLog)
        text += line + "\r\n";
    WriteFileAtomically(file->toStdString(), text);
}

void TLaunchers::OpenCODfolder1Click() {
    const LauncherState state = state_();
    if (!state.gameFolder.empty())
        Open(state.gameFolder);
}

void TLaunchers::Mailme1Click() {
    Open(std::string("mailto:") + AuthorMailAddress);
}

void TLaunchers::Briselawebsite1Click() {
    Open(webPage_);
}

void TLaunchers::Readme1Click() {
    Open(SideFile("readme.txt"));
}

void TLaunchers::BHMgametype1Click() {
    Open(SideFile("help/BHM.html"));
}

void TLaunchers::Help2Click() {
    Open(SideFile("help/PRM.html"));
}

void TLaunchers::HelpcvarCOD1Click() {
    Open(SideFile("help/COD_CVAR.html"));
}
