// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"

#include "InstallLayout.h"
#include "app/MainForm.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "store/ResourcesMaker.h"
#include "support/FakeServer.h"
#include "support/ProgramCopy.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// `quendry run` on a program folder of its own (a copy of the executable beside its side files) and a game
// folder holding an empty CoDMP.exe; the server is "started" by a script that records what it was given.
class RunCommandTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_.File("program"));
        CopyProgram(folder_.File("program"));
        const std::string pk3 = folder_.Write("sources/PRM_5.pk3", std::string(3000, 'k'));
        const std::string notes = folder_.Write("sources/notes.txt", "notes\n");
        {
            TResourcesMaker store(Program("data.bin"), "");
            store.AddResource(pk3, "BriselaMOD_v2\\PRM_5.pk3", true);
            store.AddResource(notes, "BriselaMOD_v2\\notes.txt", true);
        }
        folder_.Write("program/maps.ini", "mp_harbor=[dm] [bhm]\r\nmp_carentan=[dm] [sd] [bhm]\r\n");
        folder_.Write("settings.ini", "[MainForm]\r\nsv_hostname=^1Brisela \xC3\xA9t\xC3\xA9\r\n"
                                      "[MainFormdedicated]\r\nL0=None\r\nL1=Local\r\nL2=Internet\r\nItemIndex=2\r\n"
                                      "[MainFormListBoxCfg]\r\nL0=// Voting\r\nL1=seta g_allowvote \"1\"\r\n"
                                      "ItemIndex=0\r\n[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\n"
                                      "L1=mp_carentan\r\nItemIndex=-1\r\n[MainFormg_gametype]\r\nL0=dm\r\nL1=sd\r\n"
                                      "ItemIndex=0\r\n[MsgFormMsgMemo]\r\nL0=Welcome\r\nItemIndex=0\r\n");
        folder_.Write("game/CoDMP.exe", "");
        folder_.Write("game/main/config_mp.cfg", "seta sv_fps \"20\"\r\n");
        record_ = folder_.File("record.txt");
        // The record appears whole, so that a test never reads it half written.
        const std::string runner =
            folder_.Write("runner.sh", "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"" + record_ +
                                           ".part\"\nmv \"" + record_ + ".part\" \"" + record_ + "\"\n");
        fs::permissions(runner, fs::perms::owner_all);
        runner_ = runner;
    }

    std::string Program(const std::string& name) const { return folder_.File("program/" + name); }

    struct Result {
        int exitCode;
        QStringList out;
        QString err;
    };

    // Runs the program copy without a display; `platform`, when given, names the Qt platform plugin to use, and
    // `display` the X display.
    Result Quendry(const QStringList& arguments, const QString& platform = QString(),
                   const QString& display = QString()) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUENDRY_EXE_RUNNER"), QString::fromStdString(runner_));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!platform.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(Program("quendry")), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n')),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QStringList RunArguments(bool launch) const {
        QStringList arguments = {QStringLiteral("run"), QStringLiteral("--settings"),
                                 QString::fromStdString(folder_.File("settings.ini")), QStringLiteral("--game"),
                                 QString::fromStdString(folder_.File("game") + "/")};
        // The fake server ends at once, which the start check would report.
        arguments << (launch ? QStringList{QStringLiteral("--watch"), QStringLiteral("0")}
                             : QStringList{QStringLiteral("--no-launch")});
        return arguments;
    }

    std::string WaitForRecord() const { return WaitForFile(record_); }

    TestFolder folder_;
    std::string record_;
    std::string runner_;
};

TEST_F(RunCommandTest, FirstRunLogsEveryStepAndStartsTheServerInTheGameFolder) {
    const Result result = Quendry(RunArguments(true));
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList expected = {QStringLiteral("Path : valid path"),
                                  QStringLiteral("PRM_5.pk3 : installed"),
                                  QStringLiteral("notes.txt : installed"),
                                  QStringLiteral("PATCH for default_mp.cfg : applied"),
                                  QStringLiteral("Allowed weapons settings : written"),
                                  QStringLiteral("Grenade settings : written"),
                                  QStringLiteral("Gameplay settings : written"),
                                  QStringLiteral("Clan settings : written"),
                                  QStringLiteral("Fx and realistic effects settings : written"),
                                  QStringLiteral("Fog settings : written"),
                                  QStringLiteral("Infos server settings : written"),
                                  QStringLiteral("Msg settings : written"),
                                  QStringLiteral("Password settings : written"),
                                  QStringLiteral("Maps Rotation : written"),
                                  QStringLiteral("Standard cfg : saved"),
                                  QStringLiteral("Adavanced cfg : saved"),
                                  QStringLiteral("Server program : CoDMP.exe (through runner.sh)"),
                                  QStringLiteral("Launch server : 42"),
                                  QString()};
    ASSERT_EQ(result.out.size(), expected.size() + 1) << result.out.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(result.out.front().startsWith(QStringLiteral("Session : ")));
    EXPECT_EQ(result.out.mid(1), expected);

    const std::string game = folder_.File("game");
    EXPECT_EQ(WaitForRecord(), game + "\n" + game +
                                   "/CoDMP.exe\n+set\ndedicated\n2\n+set\nfs_game\nBriselaMOD_v2\n"
                                   "+exec\nadvanced.cfg\n+exec\nstandard.cfg\n");
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/PRM_5.pk3"), std::string(3000, 'k'));
    EXPECT_EQ(folder_.Read("game/main/default_mp.cfg"), "seta sv_fps \"20\"\r\n");
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced.cfg"), "// Voting\r\nseta g_allowvote \"1\"\r\n");
    const std::string standard = folder_.Read("game/BriselaMOD_v2/standard.cfg");
    EXPECT_NE(standard.find("seta sv_hostname \"^1Brisela \xE9t\xE9\"\r\n"), std::string::npos);
    EXPECT_NE(standard.find("seta sv_mapRotation \"map mp_harbor map mp_carentan\"\r\n"), std::string::npos);
    EXPECT_NE(standard.find("seta prm_message1 \"Welcome\"\r\n"), std::string::npos);
    // The command line never saves the window state.
    EXPECT_FALSE(fs::exists(Program("quendry.ini")));
}

TEST_F(RunCommandTest, NoLaunchPrintsTheCommandAndWindowAndCommandLineWriteTheSameFiles) {
    const Result result = Quendry(RunArguments(false));
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Launch server : skipped")));
    EXPECT_TRUE(
        result.out.filter(QStringLiteral("Command line: "))
            .front()
            .endsWith(QStringLiteral(
                "CoDMP.exe +set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg")));
    EXPECT_FALSE(fs::exists(record_));
    const std::string standard = folder_.Read("game/BriselaMOD_v2/standard.cfg");
    const std::string advanced = folder_.Read("game/BriselaMOD_v2/advanced.cfg");
    fs::remove_all(folder_.File("game/BriselaMOD_v2"));

    // The window, on the same program folder, loads the same file and presses Run.
    ScriptedQuestions questions;
    SetProgramFolderOverride(folder_.File("program"));
    {
        TProgram program;
        TMainForm& main = program.MainForm();
        main.FormShow();
        main.LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
        main.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QString::fromStdString(folder_.File("game")));
        main.SetServerLauncher([](const ServerLaunch&) { return std::optional<int>(42); });
        EXPECT_EQ(main.RunFromWindow(), RunOutcome::Launched);
    }
    SetProgramFolderOverride(std::nullopt);
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/standard.cfg"), standard);
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced.cfg"), advanced);
    EXPECT_TRUE(questions.errors.isEmpty());
}

// Values a hand-edited or damaged settings file may hold, on top of a last state that restored the game folder:
// the command line reads them without any window exactly as the windows load them into their controls.
TEST_F(RunCommandTest, WithoutAnyWindowOddValuesLoadAsTheWindowsLoadThem) {
    const std::string lastState = "[MainForm]\r\nEditPath=" + folder_.File("elsewhere") +
                                  "\r\nscr_motd=From the last state\r\nprm_bleeding=1\r\n"
                                  "[MainFormListBoxSelectedMaps]\r\nL0=mp_carentan\r\nItemIndex=0\r\n"
                                  "[MainFormg_gametype]\r\nL0=sd\r\nItemIndex=0\r\n";
    folder_.Write(Program("quendry.ini"), lastState);
    folder_.Write("odd.ini", "[MainForm]\r\nprm_num_stukas=9\r\nprm_mg_nades=abc\r\nprm_rifle_nades=0x2\r\n"
                             "prm_sniper_nades=-4\r\nscr_friendlyfire=7\r\nscr_killcam=yes\r\nscr_freelook=0\r\n"
                             "sv_hostname=  spaced  \r\nscr_motd=\"quoted\"\r\nprm_clanTags=[TAG]\r\n"
                             "[MainFormprm_clanTeam]\r\nL0=allies\r\nL1=axis\r\nItemIndex=5\r\n"
                             "[MainFormdedicated]\r\nL0=None\r\nL1=Local\r\nL2=Internet\r\nItemIndex=1\r\n"
                             "[MainFormg_gametype]\r\nL0=bhm\r\nL1=dm\r\nItemIndex=1\r\n"
                             "[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\nL2=mp_skipped\r\n"
                             "[MainFormListBoxCfg]\r\nL0=seta g_allowvote \"0\"\r\nL1=\r\n"
                             "[FogForm]\r\nprm_fog_type=0\r\nprm_fog_density=0,004\r\nprm_fog_red=12\r\n"
                             "[MsgForm]\r\nprm_delay=120\r\n[MsgFormMsgMemo]\r\nL0=Hi\r\nL1=\r\nL2=  \r\nL3=\r\n");
    const QStringList arguments = {QStringLiteral("run"),
                                   QStringLiteral("--settings"),
                                   QString::fromStdString(folder_.File("odd.ini")),
                                   QStringLiteral("--game"),
                                   QString::fromStdString(folder_.File("game")),
                                   QStringLiteral("--no-launch")};
    // A platform plugin that does not exist: building any window would end the program at once.
    const Result result = Quendry(arguments, QStringLiteral("no-such-platform"));
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    EXPECT_TRUE(result.out.filter(QStringLiteral("Command line: ")).front().contains(QStringLiteral("dedicated 1")));
    const std::string standard = folder_.Read("game/BriselaMOD_v2/standard.cfg");
    const std::string advanced = folder_.Read("game/BriselaMOD_v2/advanced.cfg");
    QStringList log; // from the path check to the launch, without the printed command
    for (const QString& line : result.out.mid(1))
        if (!line.isEmpty() && !line.startsWith(QStringLiteral("Command line: ")))
            log << line;
    fs::remove_all(folder_.File("game/BriselaMOD_v2"));
    fs::remove(folder_.File("game/main/default_mp.cfg"));

    // What the values load as, in the server's words.
    for (const char* line :
         {"seta prm_num_stukas \"3\"", "seta prm_mg_nades \"1\"", "seta prm_rifle_nades \"2\"",
          "seta prm_sniper_nades \"1\"", "seta scr_friendlyfire \"-1\"", "seta scr_killcam \"1\"",
          "seta prm_bleeding \"1\"", "seta sv_hostname \"spaced\"", "seta prm_clanTeam \"\"", "seta g_gametype \"dm\"",
          "seta prm_fog_type \"0\"", "seta prm_fog_density \"0.004\"", "seta prm_fog_red \"12\"",
          "seta prm_delay \"30\"", "seta prm_message1 \"Hi\"", "seta sv_mapRotation \"map mp_harbor\""})
        EXPECT_NE(standard.find(std::string(line) + "\r\n"), std::string::npos) << line << "\n" << standard;
    EXPECT_EQ(standard.find("prm_message2"), std::string::npos) << standard;
    EXPECT_EQ(advanced, "seta g_allowvote \"0\"\r\n\r\n");

    // The window, on the same program folder, restores the last state, opens the file and presses Run.
    ScriptedQuestions questions;
    SetProgramFolderOverride(folder_.File("program"));
    // The run log names the runner of the server it would start.
    setenv("QUENDRY_EXE_RUNNER", runner_.c_str(), 1);
    folder_.Write(DefaultSettingsFile().toStdString(), lastState);
    QStringList windowLog;
    {
        TProgram program;
        TMainForm& main = program.MainForm();
        main.FormShow();
        main.LoadSettings(QString::fromStdString(folder_.File("odd.ini")));
        main.Find<QLineEdit>(QStringLiteral("EditPath"))->setText(QString::fromStdString(folder_.File("game")));
        main.SetServerLauncher([](const ServerLaunch&) { return std::optional<int>(); });
        auto* memoLog = main.Find<QPlainTextEdit>(QStringLiteral("MemoLog"));
        const QString before = memoLog->toPlainText();
        EXPECT_EQ(main.RunFromWindow(), RunOutcome::Launched);
        // The lines the Run logged, after those the window logged before it.
        windowLog = memoLog->toPlainText().split(QLatin1Char('\n')).mid(before.isEmpty() ? 0 : before.count(u'\n') + 1);
    }
    unsetenv("QUENDRY_EXE_RUNNER");
    SetProgramFolderOverride(std::nullopt);
    EXPECT_EQ(windowLog.mid(1).join(QLatin1Char('\n')).toStdString(), log.join(QLatin1Char('\n')).toStdString());
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/standard.cfg"), standard);
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced.cfg"), advanced);
    EXPECT_TRUE(questions.errors.isEmpty());
}

// The commands need no window library; the main window comes from the one beside the program, or from the one in
// the install's library folder. Without either, the program says which package holds it.
TEST_F(RunCommandTest, TheMainWindowOpensFromTheWindowLibraryBesideTheProgramOrInTheInstallsLibraryFolder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUENDRY_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    const auto open = [&] {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(Program("quendry")), QStringList());
        EXPECT_TRUE(process.waitForFinished(60000));
        return std::pair(process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError()));
    };
    const std::string name = fs::path(QUENDRY_WINDOW_LIBRARY).filename().string();
    const auto [withoutCode, withoutError] = open();
    EXPECT_EQ(withoutCode, 1);
    EXPECT_EQ(withoutError, QStringLiteral("quendry: the main window is not installed (") +
                                QString::fromStdString(Program(name)) +
                                QStringLiteral(" is missing).\nInstall it with:  sudo apt install quendry-gui\n"
                                               "The commands work without it:  quendry --help\n"));

    // A package puts the library in lib/<architecture>/quendry under the prefix of bin/quendry.
    const std::string installed =
        (fs::path(Program(QUENDRY_LIBRARIES_FROM_PROGRAM)) / name).lexically_normal().string();
    ASSERT_EQ(installed.rfind(folder_.File("lib/"), 0), 0u) << installed;
    fs::create_directories(fs::path(installed).parent_path());
    fs::copy_file(QUENDRY_WINDOW_LIBRARY, installed);
    const auto [installedCode, installedError] = open();
    EXPECT_EQ(installedCode, 0) << installedError.toStdString();

    // One beside the program comes first: a broken one there is reported, not passed over.
    folder_.Write("program/" + name, "not a library");
    const auto [brokenCode, brokenError] = open();
    EXPECT_EQ(brokenCode, 1);
    EXPECT_TRUE(brokenError.startsWith(QStringLiteral("quendry: cannot open the main window: ")))
        << brokenError.toStdString();
    fs::remove(installed);
    fs::copy_file(QUENDRY_WINDOW_LIBRARY, Program(name), fs::copy_options::overwrite_existing);
    const auto [besideCode, besideError] = open();
    EXPECT_EQ(besideCode, 0) << besideError.toStdString();
    // The window was shown, and only shown: closing it would have saved the window state.
    EXPECT_FALSE(fs::exists(Program("quendry.ini")));
}

// A server box reached over ssh has no display: the program says what to do instead of letting Qt abort.
TEST_F(RunCommandTest, WithoutADisplayTheWindowSaysWhatToDoAndExitsWith2) {
    fs::copy_file(QUENDRY_WINDOW_LIBRARY, Program(fs::path(QUENDRY_WINDOW_LIBRARY).filename().string()));
    const Result result = Quendry({});
    EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("needs a display"))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("xvfb-run quendry"))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("quendry --help"))) << result.err.toStdString();
    EXPECT_FALSE(result.err.contains(QStringLiteral("Reinstalling"))) << result.err.toStdString();
    EXPECT_FALSE(fs::exists(Program("quendry.ini")));
}

// A DISPLAY that names no running display: Qt's own end would abort with advice to reinstall the program.
TEST_F(RunCommandTest, ADisplayThatCannotBeOpenedIsSaidAndExitsWith2) {
    fs::copy_file(QUENDRY_WINDOW_LIBRARY, Program(fs::path(QUENDRY_WINDOW_LIBRARY).filename().string()));
    // A display number with no server: neither its socket nor its lock file is there.
    int number = 7391;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
           fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
        ++number;
    const QString display = QStringLiteral(":%1").arg(number);
    const Result result = Quendry({}, QString(), display);
    EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("quendry: the main window cannot open the display (DISPLAY=") +
                                      display + QStringLiteral(")")))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("xvfb-run quendry"))) << result.err.toStdString();
    EXPECT_FALSE(result.err.contains(QStringLiteral("Reinstalling"))) << result.err.toStdString();
    EXPECT_FALSE(fs::exists(Program("quendry.ini")));
}

TEST_F(RunCommandTest, CrOnlyAndLfOnlyCopiesOfASavedFileLoadLikeTheOriginal) {
    // A settings file as the program saves it, with every window's sections.
    SetProgramFolderOverride(folder_.File("program"));
    const std::string original = folder_.File("saved.ini");
    {
        ScriptedQuestions questions;
        TProgram program;
        program.MainForm().LoadSettings(QString::fromStdString(folder_.File("settings.ini")));
        program.MainForm().SaveSettings(QString::fromStdString(original));
    }
    const std::string crLf = folder_.Read(original);
    std::string crOnly, lfOnly;
    for (std::size_t i = 0; i < crLf.size(); ++i) {
        const bool lineEnd = crLf.compare(i, 2, "\r\n") == 0;
        crOnly += lineEnd ? '\r' : crLf[i];
        lfOnly += lineEnd ? '\n' : crLf[i];
        i += lineEnd ? 1 : 0;
    }
    ASSERT_EQ(crOnly.find('\n'), std::string::npos);
    // Saved again as "Unicode" by a Windows editor: UTF-16 with its byte order mark.
    std::string utf16 = "\xFF\xFE";
    for (const QChar c : QString::fromStdString(crLf))
        utf16.append({static_cast<char>(c.unicode() & 0xFF), static_cast<char>(c.unicode() >> 8)});
    const std::vector<std::string> files = {original, folder_.Write("cr.ini", crOnly), folder_.Write("lf.ini", lfOnly),
                                            folder_.Write("utf16.ini", utf16)};

    // Opened in a fresh program, each copy gives the state that saves as the original.
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ScriptedQuestions questions;
        questions.openFiles.push_back(QString::fromStdString(file));
        TProgram program;
        program.MainForm().FormShow();
        program.MainForm().Find<QPushButton>(QStringLiteral("ButtonOpen"))->click();
        const std::string state = folder_.File("state.ini");
        fs::remove(state);
        program.MainForm().SaveSettings(QString::fromStdString(state));
        EXPECT_EQ(folder_.Read(state), crLf);
        EXPECT_TRUE(questions.errors.isEmpty());
    }
    SetProgramFolderOverride(std::nullopt);

    // Run from the command line, each copy logs the same steps and writes the same server files.
    std::vector<std::string> outcomes;
    for (const std::string& file : files) {
        fs::remove_all(folder_.File("game/BriselaMOD_v2"));
        fs::remove(folder_.File("game/main/default_mp.cfg"));
        const Result result = Quendry({QStringLiteral("run"), QStringLiteral("--settings"),
                                       QString::fromStdString(file), QStringLiteral("--game"),
                                       QString::fromStdString(folder_.File("game")), QStringLiteral("--no-launch")});
        EXPECT_EQ(result.exitCode, 0) << file << "\n" << result.err.toStdString();
        const QStringList log = result.out.mid(1); // after the session's date and time
        outcomes.push_back(log.join(QLatin1Char('\n')).toStdString() + folder_.Read("game/BriselaMOD_v2/standard.cfg") +
                           folder_.Read("game/BriselaMOD_v2/advanced.cfg"));
    }
    EXPECT_NE(outcomes[0].find("seta sv_mapRotation \"map mp_harbor map mp_carentan\""), std::string::npos);
    for (std::size_t i = 1; i < outcomes.size(); ++i)
        EXPECT_EQ(outcomes[i], outcomes[0]) << files[i];
}

TEST_F(RunCommandTest, StopsWithOneWhenTheGameFolderOrTheRotationIsMissing) {
    const Result noGame =
        Quendry({QStringLiteral("run"), QStringLiteral("--settings"),
                 QString::fromStdString(folder_.File("settings.ini")), QStringLiteral("--no-launch")});
    EXPECT_EQ(noGame.exitCode, 1);
    EXPECT_TRUE(noGame.out.contains(QStringLiteral("Path : invalid path")));
    EXPECT_TRUE(noGame.err.contains(QStringLiteral("You must select the install directory of Call Of Duty")));

    const Result noMaps = Quendry({QStringLiteral("run"), QStringLiteral("--game"),
                                   QString::fromStdString(folder_.File("game")), QStringLiteral("--no-launch")});
    EXPECT_EQ(noMaps.exitCode, 1);
    EXPECT_TRUE(noMaps.err.contains(QStringLiteral("You must select some maps for the rotation")));
    EXPECT_FALSE(fs::exists(folder_.File("game/BriselaMOD_v2")));
}

TEST_F(RunCommandTest, ADamagedStoreEndsTheRunWithItsErrorOnStandardError) {
    std::string bytes = folder_.Read(Program("data.bin"));
    for (std::size_t i = 294; i < 300; ++i)
        bytes[i] = static_cast<char>(~bytes[i]);
    folder_.Write(Program("data.bin"), bytes);
    const Result result = Quendry(RunArguments(false));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("PRM_5.pk3"))) << result.err.toStdString();
    EXPECT_EQ(result.out.last(), QString());
    EXPECT_EQ(result.out[result.out.size() - 3], QStringLiteral("Path : valid path"));
    EXPECT_TRUE(result.out[result.out.size() - 2].startsWith(QStringLiteral("Run stopped : ")));
    EXPECT_TRUE(result.out[result.out.size() - 2].contains(QStringLiteral("PRM_5.pk3")));
}

TEST_F(RunCommandTest, ASettingsFileOrGameFolderThatCannotBeUsedStopsBeforeAnythingIsWritten) {
    // Unreadable files cannot be made with chmod for root: a folder and a pipe stand where a file is expected.
    fs::create_directories(folder_.File("folder.ini"));
    ASSERT_EQ(::mkfifo(folder_.File("pipe.ini").c_str(), 0600), 0);
    const std::string settings = folder_.File("settings.ini");
    const std::string game = folder_.File("game");
    const std::string huge = folder_.Write("huge.ini", "[MainForm]\r\n");
    fs::resize_file(huge, MaxIniFileSize + 1);
    struct UnusableCase {
        std::string option;
        std::string path;
        std::string reason;
    };
    const std::vector<UnusableCase> cases = {
        {"--settings", folder_.File("missing.ini"), "No such file or directory"},
        {"--settings", folder_.File("folder.ini"), "Is a directory"},
        {"--settings", folder_.File("pipe.ini"), "not a regular file"},
        {"--settings", "/proc/self/status", "holds no Quendry settings"},
        {"--settings", folder_.Write("notes.ini", "[Notes]\r\ng_password=secret\r\n"), "holds no Quendry settings"},
        {"--settings", huge,
         std::to_string(MaxIniFileSize + 1) + " bytes, more than the 64 MiB a settings file may have"},
        {"--game", folder_.File("no game"), "No such file or directory"},
        {"--game", folder_.File("game/CoDMP.exe"), "Not a directory"},
    };
    for (const auto& [option, path, reason] : cases) {
        QStringList arguments = {QStringLiteral("run"), QStringLiteral("--settings"), QString::fromStdString(settings),
                                 QStringLiteral("--game"), QString::fromStdString(game)};
        arguments[option == "--settings" ? 2 : 4] = QString::fromStdString(path);
        const Result result = Quendry(arguments);
        EXPECT_EQ(result.exitCode, 2) << path;
        const std::string kind = option == "--settings" ? "settings file " : "game folder ";
        EXPECT_EQ(result.err.toStdString(), "quendry run: " + kind + path + ": " + reason + "\n");
        EXPECT_EQ(result.out, QStringList{QString()}) << path;
        EXPECT_FALSE(fs::exists(folder_.File("game/BriselaMOD_v2"))) << path;
        EXPECT_FALSE(fs::exists(folder_.File("game/main/default_mp.cfg"))) << path;
    }
    EXPECT_FALSE(fs::exists(record_));
}

TEST_F(RunCommandTest, InTheForegroundAConfigurationErrorSaysThatRestartingWillNotHelp) {
    // A service manager restarts a failed server: its log must say when only a change of the configuration helps.
    const std::string notice = ": the settings, the game folder or the map catalogue must be corrected; restarting "
                               "will not help\n";
    struct ErrorCase {
        const char* what;
        bool foreground;
        std::string settings;
        int exitCode;
    };
    const std::string missing = folder_.File("missing.ini");
    const std::string noMaps =
        folder_.Write("no-maps.ini", "[MainForm]\r\nsv_hostname=No maps\r\n[MainFormListBoxSelectedMaps]\r\n");
    const std::vector<ErrorCase> cases = {
        {"a missing settings file", true, missing, 2},
        {"no map to play", true, noMaps, 1},
        {"a missing settings file, from a shell", false, missing, 2},
        {"no map to play, from a shell", false, noMaps, 1},
    };
    for (const auto& [what, foreground, settings, exitCode] : cases) {
        QStringList arguments = {QStringLiteral("run"), QStringLiteral("--settings"), QString::fromStdString(settings),
                                 QStringLiteral("--game"), QString::fromStdString(folder_.File("game"))};
        if (foreground)
            arguments << QStringLiteral("--foreground");
        const Result result = Quendry(arguments);
        EXPECT_EQ(result.exitCode, exitCode) << what;
        const std::string line = "quendry run: exit code " + std::to_string(exitCode) + notice;
        EXPECT_EQ(result.err.toStdString().ends_with(line), foreground) << what << ":\n" << result.err.toStdString();
    }
    EXPECT_FALSE(fs::exists(record_));
}

TEST_F(RunCommandTest, WrongArgumentsAreAUsageError) {
    const Result result = Quendry({QStringLiteral("run"), QStringLiteral("--colour")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Usage: quendry run")));
    const Result scan = Quendry({QStringLiteral("scan"), QStringLiteral("--no-launch")});
    EXPECT_EQ(scan.exitCode, 2);
    EXPECT_TRUE(scan.err.contains(QStringLiteral("Usage: quendry scan")));
}

TEST_F(RunCommandTest, ScanThenRunWritesARotationWithoutADisplay) {
    // A fresh program folder: the catalogue is empty until the scan fills it.
    fs::copy_file(QUENDRY_UNZDLL, Program("UnzDll.so"));
    folder_.Write(Program("maps.ini"), "");
    folder_.Write("game/main/pak0.pk3", MakeZip({{.name = "mp/stock.arena",
                                                  .content = "{\n map \"mp_harbor\"\n gametype \"dm tdm\"\n}\n"
                                                             "{\n map \"mp_carentan\"\n gametype \"dm sd\"\n}\n"}}));
    // An archive that cannot be read is skipped, named on standard error, and the others still count.
    const std::string broken = folder_.Write("game/main/pak1.pk3", "PK this is no zip");
    const Result scan =
        Quendry({QStringLiteral("scan"), QStringLiteral("--game"), QString::fromStdString(folder_.File("game"))});
    EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    const QString skipped = QString::fromStdString(broken + " : skipped (\"" + broken + "\" is not a valid Zip file.)");
    EXPECT_EQ(scan.out, QStringList({"Path : valid path", "mp_harbor : found", "mp_carentan : found", skipped,
                                     "Scan : 2 maps in 1 of 2 archives", ""}));
    EXPECT_TRUE(scan.err.contains(
        QString::fromStdString("Skipped " + broken + ": \"" + broken + "\" is not a valid Zip file.")))
        << scan.err.toStdString();
    EXPECT_EQ(folder_.Read(Program("maps.ini")), "mp_harbor=[dm] [tdm] [bhm]\r\nmp_carentan=[dm] [sd] [bhm]\r\n");

    const Result run = Quendry(RunArguments(false));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const std::string standard = folder_.Read("game/BriselaMOD_v2/standard.cfg");
    EXPECT_NE(standard.find("mp_harbor"), std::string::npos);
    EXPECT_NE(standard.find("mp_carentan"), std::string::npos);
}

TEST_F(RunCommandTest, ScanWithoutAValidGameFolderFails) {
    const Result scan =
        Quendry({QStringLiteral("scan"), QStringLiteral("--game"), QString::fromStdString(folder_.File("nowhere"))});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_EQ(scan.out.first(), QStringLiteral("Path : invalid path"));
    EXPECT_TRUE(scan.err.contains(QStringLiteral("before scanning the maps")));
}

} // namespace
