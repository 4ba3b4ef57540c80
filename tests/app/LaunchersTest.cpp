// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Launchers.h"

#include "platform/Paths.h"
#include "support/FakePrograms.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// The launchers over a program folder with its documents, a game folder whose name has a blank, and a machine
// whose interfaces list loopback and link-local addresses before the two that others reach it at.
class LaunchersTest : public testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderOverride(program_.Path());
        state_.gameFolder = game_.Write("Call of Duty/CoDMP.exe", "").substr(0, game_.File("Call of Duty").size());
        state_.modFolder = "BriselaMOD_v2";
        state_.password = "secret";
        state_.dedicated = 2;
        launchers_.SetAddressLookup([this] { return addresses_; });
        launchers_.SetClipboard([this](const std::string& text) { clipboard_ = text; });
    }
    void TearDown() override { SetProgramFolderOverride(std::nullopt); }

    // The record of a start of the runner or the opener: the working folder, then the arguments.
    static std::string Started(const char* tool, const std::string& folder, std::initializer_list<std::string> words) {
        std::string record = std::string(tool) + "\n" + folder + "\n";
        for (const std::string& word : words)
            record += "[" + word + "]\n";
        return record;
    }
    static std::string CurrentFolder() { return fs::current_path().string(); }

    ScriptedQuestions questions_;
    FakePrograms programs_;
    TestFolder program_, game_;
    LauncherState state_;
    std::vector<std::string> addresses_{"127.0.0.1", "::1", "fe80::1", "10.0.0.7", "192.168.1.10"};
    std::vector<std::string> logged_;
    std::string clipboard_ = "untouched";
    TLaunchers launchers_{[this] { return state_; }, [this](const std::string& line) { logged_.push_back(line); },
                          "https://brisela.example.org", nullptr};
};

TEST_F(LaunchersTest, GetIpCopiesAndShowsTheFirstAddressOthersReach) {
    launchers_.GetIP1Click();
    EXPECT_EQ(clipboard_, "10.0.0.7");
    addresses_.clear();
    launchers_.GetIP1Click();
    EXPECT_EQ(clipboard_, "");
    EXPECT_EQ(questions_.messages,
              QStringList({QStringLiteral("Your IP is : 10.0.0.7 (IP is now stored in the clipboard)"),
                           QStringLiteral("Your IP is :  (IP is now stored in the clipboard)")}));
    EXPECT_TRUE(logged_.empty());
}

TEST_F(LaunchersTest, JoinStartsTheGameOnTheEditedAddressWithThePassword) {
    questions_.texts = {QStringLiteral("203.0.113.5")};
    launchers_.JoinServeur1Click();
    EXPECT_EQ(questions_.asked, QStringList(QStringLiteral("Your IP|Type here your IP|10.0.0.7")));
    EXPECT_EQ(programs_.Next(),
              Started("runner", state_.gameFolder,
                      {state_.gameFolder + "/CoDMP.exe", "+connect", "203.0.113.5", "+set", "password", "secret"}));
    EXPECT_EQ(logged_, std::vector<std::string>{"Join server - IP : 203.0.113.5"});
}

TEST_F(LaunchersTest, JoinWithAnEmptyPasswordEndsWithTheWordPassword) {
    state_.password.clear();
    questions_.texts = {QStringLiteral("10.0.0.7")};
    launchers_.JoinServeur1Click();
    EXPECT_EQ(programs_.Next(),
              Started("runner", state_.gameFolder,
                      {state_.gameFolder + "/CoDMP.exe", "+connect", "10.0.0.7", "+set", "password"}));
}

TEST_F(LaunchersTest, JoinAfterCancelLogsTheLookedUpAddressAndStartsNothing) {
    launchers_.JoinServeur1Click();
    EXPECT_EQ(logged_, std::vector<std::string>{"Join server - IP : 10.0.0.7"});
    EXPECT_TRUE(programs_.NoneStarted());
}

TEST_F(LaunchersTest, ServerActivityWatchesTheConfirmedAddressOnPort28960) {
    const std::string tool = program_.Write("utils/CODSA.exe", "");
    launchers_.SetStatusQuery([](const std::string&, int) -> StatusAnswer {
        ADD_FAILURE() << "the status was asked although the tool is there";
        return {};
    });
    questions_.texts = {QStringLiteral("10.0.0.8"), std::nullopt};
    launchers_.ServerActivity1Click();
    EXPECT_EQ(programs_.Next(), Started("runner", program_.File("utils"), {tool, "10.0.0.8", "28960"}));
    launchers_.ServerActivity1Click(); // Cancel
    EXPECT_TRUE(programs_.NoneStarted());
    EXPECT_EQ(questions_.asked, QStringList({QStringLiteral("Your IP|Type here your IP|10.0.0.7"),
                                             QStringLiteral("Your IP|Type here your IP|10.0.0.7")}));
    EXPECT_TRUE(logged_.empty());
}

TEST_F(LaunchersTest, ServerActivityWithoutTheToolShowsTheStatusOfTheConfirmedAddress) {
    std::vector<std::string> asked;
    std::optional<ServerStatus> status =
        ServerStatus{"Brisela Server", "mp_harbor", "sd", {{12, 48, "Tom \"The Gun\""}}};
    launchers_.SetStatusQuery([&](const std::string& host, int port) {
        asked.push_back(host + ":" + std::to_string(port));
        return StatusAnswer{status, status ? "" : "No answer from " + host + ":" + std::to_string(port)};
    });
    questions_.texts = {QStringLiteral("10.0.0.8"), QStringLiteral("10.0.0.9")};
    launchers_.ServerActivity1Click();
    status.reset();
    launchers_.ServerActivity1Click();
    EXPECT_EQ(asked, (std::vector<std::string>{"10.0.0.8:28960", "10.0.0.9:28960"}));
    EXPECT_EQ(questions_.messages, QStringList({QStringLiteral("Host name : Brisela Server\nMap : mp_harbor\n"
                                                               "Gametype : sd\nPlayers : 1\n Score   Ping  Name\n"
                                                               "    12     48  Tom \"The Gun\""),
                                                QStringLiteral("No answer from 10.0.0.9:28960")}));
    EXPECT_TRUE(programs_.NoneStarted());
}

TEST_F(LaunchersTest, ShortcutIsAnExecutableLauncherThatStartsTheServerLikeRun) {
    setenv("QUENDRY_EXE_RUNNER", "wine", 1);
    questions_.folders = {QString::fromStdString("  " + program_.File("links") + "/// ")};
    fs::create_directories(program_.File("links"));
    launchers_.CreateShortcut1Click();
    EXPECT_EQ(questions_.asked, QStringList(QStringLiteral("Select directory for the shortcut")));
    const std::string launcher = program_.File("links/COD Server.desktop");
    const std::string target = state_.gameFolder + "/CoDMP.exe";
    EXPECT_EQ(program_.Read(launcher),
              "[Desktop Entry]\nType=Application\nName=COD Server\nExec=wine \"" + target +
                  "\" +set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg\nPath=" +
                  state_.gameFolder + "\nIcon=org.quendry.Quendry\n");
    EXPECT_EQ(questions_.messages,
              QStringList(QStringLiteral("The server shortcut is written: ") + QString::fromStdString(launcher)));
    EXPECT_EQ(logged_, std::vector<std::string>{"Server shortcut : " + launcher});
    EXPECT_NE(fs::status(launcher).permissions() & fs::perms::owner_exec, fs::perms::none);

    // The address of the advanced lines goes on the command line, as a Run puts it there.
    state_.advancedLines = {"// Network", "seta net_port \"27975\"", "set net_ip 10.0.0.5"};
    questions_.folders = {QString::fromStdString(program_.File("links"))};
    launchers_.CreateShortcut1Click();
    EXPECT_NE(program_.Read(launcher).find("\" +set dedicated 2 +set fs_game BriselaMOD_v2 +set net_ip 10.0.0.5 +set "
                                           "net_port 27975 +exec advanced.cfg +exec standard.cfg\n"),
              std::string::npos)
        << program_.Read(launcher);

    state_.dedicated = -1;
    questions_.folders = {QString::fromStdString(program_.File("links")), std::nullopt};
    launchers_.CreateShortcut1Click();
    EXPECT_NE(program_.Read(launcher).find(" +set dedicated -1 +set fs_game "), std::string::npos);
    fs::remove(launcher);
    launchers_.CreateShortcut1Click(); // Cancel
    EXPECT_FALSE(fs::exists(launcher));

    // A game folder with the native server: the launcher starts it directly, as Run does.
    const std::string native = game_.Write("Call of Duty/cod_lnxded", "");
    fs::permissions(native, fs::perms::owner_all);
    state_.dedicated = 2;
    questions_.folders = {QString::fromStdString(program_.File("links"))};
    launchers_.CreateShortcut1Click();
    EXPECT_NE(program_.Read(launcher).find("\nExec=\"" + native + "\" +set dedicated 2 +set fs_game BriselaMOD_v2 "),
              std::string::npos)
        << program_.Read(launcher);
}

TEST_F(LaunchersTest, ShortcutIsADesktopEntryTheDesktopAccepts) {
    if (std::system("command -v desktop-file-validate >/dev/null") != 0)
        GTEST_SKIP() << "desktop-file-validate is missing (package desktop-file-utils): the launcher is not checked";
    fs::create_directories(program_.File("links"));
    questions_.folders = {QString::fromStdString(program_.File("links"))};
    launchers_.CreateShortcut1Click();
    const std::string launcher = program_.File("links/COD Server.desktop");
    EXPECT_EQ(std::system(("desktop-file-validate \"" + launcher + "\"").c_str()), 0);
}

TEST(ShortcutNameTest, OneSeparatorBeforeTheNameEvenInTheRoot) {
    EXPECT_EQ(ShortcutName("/"), "/COD Server");
    EXPECT_EQ(ShortcutName(" ///  "), "/COD Server");
    EXPECT_EQ(ShortcutName(" /home/me/Desktop// "), "/home/me/Desktop/COD Server");
}

TEST_F(LaunchersTest, ServerLogsOpenInTheTextViewerAsOneFileOrSayWhereTheyAreMissing) {
    const std::string mod = state_.gameFolder + "/BriselaMOD_v2";
    launchers_.Showlogserver1Click();
    launchers_.Showserveroutput1Click();
    EXPECT_EQ(questions_.messages,
              QStringList({QString::fromStdString("No log : " + mod +
                                                  "/console_mp.log does not exist. The server writes it only while "
                                                  "its console log is on: add the line set logfile 1 to the advanced "
                                                  "settings."),
                           QString::fromStdString("No log : " + mod +
                                                  "/server.log does not exist. It holds the output of the servers "
                                                  "that Run starts, from the first start on.")}));
    EXPECT_TRUE(programs_.NoneStarted());

    game_.Write("Call of Duty/BriselaMOD_v2/console_mp.log", "");
    game_.Write("Call of Duty/BriselaMOD_v2/server.log", "");
    launchers_.Showlogserver1Click();
    EXPECT_EQ(programs_.Next(), Started("opener", CurrentFolder(), {mod + "/console_mp.log"}));
    launchers_.Showserveroutput1Click();
    EXPECT_EQ(programs_.Next(), Started("opener", CurrentFolder(), {mod + "/server.log"}));

    questions_.messages.clear();
    state_.gameFolder.clear();
    launchers_.Showlogserver1Click();
    launchers_.Showserveroutput1Click();
    EXPECT_EQ(questions_.messages, QStringList({QStringLiteral("No log"), QStringLiteral("No log")}));
    EXPECT_TRUE(programs_.NoneStarted());
}

TEST_F(LaunchersTest, SavedRunLogEndsEveryLineWithCrLfAndReplacesTheFile) {
    state_.runLog = {"Session : 10/12/2026 06:00:00", "Path : valid path"};
    const std::string saved = program_.Write("log.txt", "an older and longer log");
    questions_.saveFiles = {QString::fromStdString(saved), std::nullopt};
    launchers_.Savelogrunner1Click();
    EXPECT_EQ(program_.Read(saved), "Session : 10/12/2026 06:00:00\r\nPath : valid path\r\n");
    EXPECT_EQ(questions_.asked.front(), QStringLiteral("Save run log|") + QString::fromStdString(program_.Path()) +
                                            QStringLiteral("|Text files (*.txt)|txt"));
    state_.runLog.clear();
    launchers_.Savelogrunner1Click(); // Cancel
    EXPECT_EQ(program_.Read(saved), "Session : 10/12/2026 06:00:00\r\nPath : valid path\r\n");
}

TEST_F(LaunchersTest, FoldersLinksAndDocumentsOpenWithTheOpener) {
    for (const char* name : {"readme.txt", "help/BHM.html", "help/PRM.html", "help/COD_CVAR.html"})
        program_.Write(name, "");
    const std::pair<void (TLaunchers::*)(), std::string> cases[] = {
        {&TLaunchers::OpenCODfolder1Click, state_.gameFolder},
        {&TLaunchers::Mailme1Click, "mailto:brisela@example.org"},
        {&TLaunchers::Briselawebsite1Click, "https://brisela.example.org"},
        {&TLaunchers::Readme1Click, program_.File("readme.txt")},
        {&TLaunchers::BHMgametype1Click, program_.File("help/BHM.html")},
        {&TLaunchers::Help2Click, program_.File("help/PRM.html")},
        {&TLaunchers::HelpcvarCOD1Click, program_.File("help/COD_CVAR.html")},
    };
    for (const auto& [handler, opened] : cases) {
        SCOPED_TRACE(opened);
        (launchers_.*handler)();
        EXPECT_EQ(programs_.Next(), Started("opener", CurrentFolder(), {opened}));
    }
    state_.gameFolder.clear();
    launchers_.OpenCODfolder1Click();
    EXPECT_TRUE(programs_.NoneStarted());
    EXPECT_TRUE(questions_.messages.isEmpty());
}

// Without xdg-utils, the documents, the links and the server log cannot open: each says so, and what to install.
TEST_F(LaunchersTest, WithoutAnOpenerDocumentsLinksAndTheLogSayThatNoneIsInstalled) {
    program_.Write("readme.txt", "");
    std::filesystem::create_directories(state_.gameFolder + "/BriselaMOD_v2");
    std::ofstream(state_.gameFolder + "/BriselaMOD_v2/console_mp.log") << "logged\n";
    const std::string savedPath = std::getenv("PATH");
    setenv("PATH", program_.Path().c_str(), 1); // a folder without xdg-open
    launchers_.Readme1Click();
    launchers_.Briselawebsite1Click();
    launchers_.Showlogserver1Click();
    setenv("PATH", savedPath.c_str(), 1);
    const auto said = [](const std::string& file) {
        return QStringLiteral("No program to open ") + QString::fromStdString(file) +
               QStringLiteral(" is installed: xdg-open is missing.\nInstall it with:  sudo apt install xdg-utils");
    };
    EXPECT_EQ(questions_.messages, QStringList({said(program_.File("readme.txt")), said("https://brisela.example.org"),
                                                said(state_.gameFolder + "/BriselaMOD_v2/console_mp.log")}));
    EXPECT_TRUE(programs_.NoneStarted());
}

} // namespace
