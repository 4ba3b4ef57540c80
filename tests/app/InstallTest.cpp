// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstallLayout.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <set>
#include <vector>

namespace {

struct Verification {
    int code = -1;
    std::string messages;
};

// `systemd-analyze verify --man=no UNIT`: its exit code and what it said.
Verification Verify(const QString& analyze, const std::string& unit) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(analyze, {QStringLiteral("verify"), QStringLiteral("--man=no"), QString::fromStdString(unit)});
    if (!process.waitForFinished(-1))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll().toStdString()};
}

namespace fs = std::filesystem;

// The user who runs the installed program when the tests run as root, who could write any folder.
constexpr uid_t OtherUser = 65534; // nobody
constexpr gid_t OtherGroup = 65534;

// This build installed by `cmake --install` into a test folder, every write bit of the install cleared, and the
// program run by a user who cannot write it: "nobody" when the tests run as root, else the user running them.
// That user's own files (configuration folder, home, game folder, settings) lie in a folder of its own.
class InstallTest : public testing::Test {
protected:
    void SetUp() override {
        if (geteuid() == 0) {
            if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
                GTEST_SKIP() << "running as root without setpriv (util-linux): no way to run the program as a "
                                "user who cannot write the install";
            asOther_ = {QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(OtherUser),
                        QStringLiteral("--regid=%1").arg(OtherGroup), QStringLiteral("--clear-groups"),
                        QStringLiteral("--")};
        }
        fs::permissions(folder_.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
        QProcess install;
        install.start(QStringLiteral(CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(QUENDRY_BUILD_DIR),
                                                      QStringLiteral("--prefix"), QString::fromStdString(Prefix())});
        ASSERT_TRUE(install.waitForFinished(120000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
        for (const char* folder : {"config", "home", "tmp", "game"})
            fs::create_directories(User(folder));
        folder_.Write(User("game/CoDMP.exe"), "");
        folder_.Write(User("game/main/config_mp.cfg"), "seta sv_fps \"20\"\r\n");
        installed_ = FilesUnder(Prefix());
        SetWritable(Prefix(), false);
    }

    void TearDown() override {
        SetWritable(folder_.Path(), true); // so that the test folder can be removed
    }

    std::string Prefix() const { return folder_.File("prefix"); }
    std::string User(const std::string& name) const { return folder_.File("user/" + name); }

    // Hands the user's folder to the other user, once everything in it has been written.
    void HandOverUserFiles() const {
        if (asOther_.isEmpty())
            return;
        ASSERT_EQ(lchown(User("").c_str(), OtherUser, OtherGroup), 0);
        for (const auto& entry : fs::recursive_directory_iterator(User("")))
            ASSERT_EQ(lchown(entry.path().c_str(), OtherUser, OtherGroup), 0) << entry.path();
    }

    struct Result {
        int exitCode;
        QString out;
        QString err;
    };

    // Runs `program` with `arguments` as the user who cannot write the install, in that user's environment.
    Result RunAsUser(const QString& program, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(User("config")));
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(User("home")));
        environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(User("tmp")));
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.remove(QStringLiteral("DISPLAY"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(User("home")));
        QStringList command = asOther_;
        command << program << arguments;
        process.start(command.takeFirst(), command);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    Result Quendry(const QStringList& arguments, const std::string& programFolder = "prefix/bin") const {
        return RunAsUser(QString::fromStdString(folder_.File(programFolder + "/quendry")), arguments);
    }

    // The lines of `quendry paths` run from `programFolder`.
    QStringList Paths(const std::string& programFolder) const {
        const Result paths = Quendry({QStringLiteral("paths")}, programFolder);
        EXPECT_EQ(paths.exitCode, 0) << paths.err.toStdString();
        return paths.out.split(QLatin1Char('\n'));
    }

    // The window's check on the program in `programFolder`, which must show no error box.
    void CheckWindow(const std::string& programFolder) const {
        const Result window =
            RunAsUser(QStringLiteral(INSTALLED_WINDOW_CHECK), {QString::fromStdString(folder_.File(programFolder))});
        EXPECT_EQ(window.exitCode, 0) << window.err.toStdString();
        EXPECT_TRUE(fs::exists(User("config/quendry/maps.ini")));
        EXPECT_TRUE(fs::exists(User("config/quendry/installed_window_check.ini")));
    }

    static std::set<std::string> FilesUnder(const std::string& folder) {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            files.insert(entry.path().string());
        return files;
    }

    static void SetWritable(const std::string& folder, bool writable) {
        const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        const auto how = writable ? fs::perm_options::add : fs::perm_options::remove;
        std::error_code error;
        fs::permissions(folder, writable ? fs::perms::owner_write : writeBits, how, error);
        for (const auto& entry : fs::recursive_directory_iterator(folder, error))
            if (!entry.is_symlink())
                fs::permissions(entry.path(), writable ? fs::perms::owner_write : writeBits, how, error);
    }

    TestFolder folder_;
    QStringList asOther_; // the command prefix that switches to the other user; empty to stay this user
    std::set<std::string> installed_;
};

TEST_F(InstallTest, InstallHoldsTheProgramItsLibrariesItsSideFilesAMenuEntryAndItsIcons) {
    // The private libraries lie in the install's library folder, where the program looks for them.
    const fs::path libraries = fs::path("bin") / QUENDRY_LIBRARIES_FROM_PROGRAM;
    EXPECT_EQ(*libraries.lexically_normal().begin(), "lib") << libraries;
    const std::vector<std::string> files = {"bin/quendry",
                                            (libraries / "QuendryCommands.so").lexically_normal().string(),
                                            (libraries / "QuendryWindow.so").lexically_normal().string(),
                                            (libraries / "UnzDll.so").lexically_normal().string(),
                                            "share/quendry/data.bin",
                                            "share/quendry/default.bin",
                                            "share/man/man1/quendry.1.gz",
                                            "share/applications/org.quendry.Quendry.desktop",
                                            "share/metainfo/org.quendry.Quendry.metainfo.xml",
                                            "share/icons/hicolor/scalable/apps/org.quendry.Quendry.svg"};
    for (const std::string& file : files)
        EXPECT_TRUE(installed_.contains(Prefix() + "/" + file)) << file;
    for (const int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(installed_.contains(Prefix() + "/share/icons/hicolor/" + std::to_string(size) + "x" +
                                        std::to_string(size) + "/apps/org.quendry.Quendry.png"))
            << size;
    EXPECT_FALSE(installed_.contains(Prefix() + "/bin/QuendryCommands.so"));
    EXPECT_FALSE(installed_.contains(Prefix() + "/bin/QuendryWindow.so"));
    EXPECT_FALSE(installed_.contains(Prefix() + "/bin/UnzDll.so"));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate (desktop-file-utils) is needed";
    QProcess validate;
    validate.start(validator, {QString::fromStdString(Prefix() + "/share/applications/org.quendry.Quendry.desktop")});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    EXPECT_TRUE(validate.readAllStandardOutput().isEmpty()); // not even a hint
}

TEST_F(InstallTest, TheServiceUnitStartsTheProgramOfThisInstallAsTheServiceUser) {
    const std::string unit = ReadWholeFile(Prefix() + "/lib/systemd/system/quendry@.service");
    for (const std::string& line : std::vector<std::string>{
             "\nType=notify\n", "\nUser=quendry\n", "\nEnvironmentFile=/etc/quendry/%i.env\n",
             "\nExecStart=" + Prefix() +
                 "/bin/quendry run --foreground --instance %i --settings /etc/quendry/%i.ini --game ${QUENDRY_GAME} "
                 "--on-event ${QUENDRY_ON_EVENT} $QUENDRY_OPTIONS\n",
             "\nExecStop=-" + Prefix() +
                 "/bin/quendry stop --instance %i --settings /etc/quendry/%i.ini --game ${QUENDRY_GAME} --warn "
                 "${QUENDRY_STOP_WARN} --warn-message ${QUENDRY_STOP_WARN_MESSAGE}\n",
             "\nRestart=on-failure\n", "\nRestartPreventExitStatus=1 2 4\n", "\nWatchdogSec="})
        EXPECT_NE(unit.find(line), std::string::npos) << line << " in\n" << unit;
    // The user comes from the sysusers.d file, and the example of an instance's environment beside the prefix.
    EXPECT_NE(ReadWholeFile(Prefix() + "/lib/sysusers.d/quendry.conf").find("\nu quendry - "), std::string::npos);
    EXPECT_NE(ReadWholeFile(Prefix() + "/etc/quendry/example.env").find("\n#QUENDRY_GAME="), std::string::npos);
}

TEST_F(InstallTest, TheServiceManagerTakesTheTemplateUnit) {
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed: the unit is not verified";
    // A unit that cannot fail tells whether the tool works here at all (a container without systemd's folders).
    const Verification control = Verify(
        analyze, folder_.Write("control.service", "[Unit]\nDescription=control\n\n[Service]\nExecStart=" + Prefix() +
                                                      "/bin/quendry --version\n"));
    if (control.code != 0 || !control.messages.empty())
        GTEST_SKIP() << "systemd-analyze cannot verify units here: " << control.messages;
    const Verification verified = Verify(analyze, Prefix() + "/lib/systemd/system/quendry@.service");
    EXPECT_EQ(verified.code, 0) << verified.messages;
    EXPECT_EQ(verified.messages, "");
}

TEST_F(InstallTest, CommandsOfAReadOnlyInstallFindTheUsersFilesInItsConfigurationFolder) {
    folder_.Write(User("config/quendry/maps.ini"), "mp_harbor=[dm] [bhm]\r\n");
    folder_.Write(User("settings.ini"),
                  "[MainForm]\r\nsv_hostname=Installed server\r\n[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\n"
                  "L1=mp_carentan\r\nItemIndex=-1\r\n[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n");
    HandOverUserFiles();
    const Result check =
        RunAsUser(QStringLiteral("test"), {QStringLiteral("-w"), QString::fromStdString(Prefix() + "/bin")});
    ASSERT_EQ(check.exitCode, 1) << "the install must not be writable for the user who runs it";

    const QStringList paths = Paths("prefix/bin");
    const QString config = QString::fromStdString(User("config/quendry"));
    for (const QString& line : {QStringLiteral("Layout       installed: the program folder ") +
                                    QString::fromStdString(Prefix()) + QStringLiteral("/bin cannot be written"),
                                QStringLiteral("data.bin     ") + QString::fromStdString(Prefix()) +
                                    QStringLiteral("/share/quendry/data.bin"),
                                QStringLiteral("maps.ini     ") + config + QStringLiteral("/maps.ini"),
                                QStringLiteral("configs      ") + config + QStringLiteral("/configs/")})
        EXPECT_TRUE(paths.contains(line)) << line.toStdString() << "\n" << paths.join(QLatin1Char('\n')).toStdString();

    const Result run =
        Quendry({QStringLiteral("run"), QStringLiteral("--settings"), QString::fromStdString(User("settings.ini")),
                 QStringLiteral("--game"), QString::fromStdString(User("game")), QStringLiteral("--no-launch")});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Standard cfg : saved"))) << run.out.toStdString();
    const std::string standard = folder_.Read(User("game/BriselaMOD_v2/standard.cfg"));
    EXPECT_NE(standard.find("seta sv_hostname \"Installed server\"\r\n"), std::string::npos);
    // The rotation keeps the one map of the user's catalogue.
    EXPECT_NE(standard.find("seta sv_mapRotation \"map mp_harbor\"\r\n"), std::string::npos) << standard;
    // The command line never saves the window state.
    EXPECT_FALSE(fs::exists(User("config/quendry/quendry.ini")));
    EXPECT_EQ(FilesUnder(Prefix()), installed_);
}

TEST_F(InstallTest, ScanOfAReadOnlyInstallWritesTheUsersCatalogue) {
    folder_.Write(User("game/main/pak0.pk3"),
                  MakeZip({{.name = "mp/stock.arena", .content = "{\n map \"mp_harbor\"\n gametype \"dm\"\n}\n"}}));
    HandOverUserFiles();
    const Result scan =
        Quendry({QStringLiteral("scan"), QStringLiteral("--game"), QString::fromStdString(User("game"))});
    ASSERT_EQ(scan.exitCode, 0) << scan.out.toStdString() << scan.err.toStdString();
    EXPECT_TRUE(scan.out.contains(QStringLiteral("mp_harbor : found"))) << scan.out.toStdString();
    EXPECT_EQ(folder_.Read(User("config/quendry/maps.ini")), "mp_harbor=[dm] [bhm]\r\n");
    EXPECT_EQ(FilesUnder(Prefix()), installed_);
}

TEST_F(InstallTest, TheWindowOfAReadOnlyInstallStartsWithoutAnErrorBoxAndSavesItsStateForTheUser) {
    HandOverUserFiles();
    CheckWindow("prefix/bin");
    EXPECT_EQ(FilesUnder(Prefix()), installed_);
}

TEST_F(InstallTest, AnUnpackedFolderThatCannotBeWrittenKeepsItsSideFilesAndWritesInTheUsersFolder) {
    const std::string unpacked = folder_.File("unpacked");
    fs::create_directories(unpacked);
    // The program with its commands library beside it, as in any unpacked folder.
    const std::string commands =
        (fs::path("bin") / QUENDRY_LIBRARIES_FROM_PROGRAM / "QuendryCommands.so").lexically_normal().string();
    for (const std::string& file : {std::string("bin/quendry"), commands, std::string("share/quendry/data.bin"),
                                    std::string("share/quendry/default.bin")})
        fs::copy_file(folder_.File("prefix/" + file), JoinPath(unpacked, fs::path(file).filename()));
    SetWritable(unpacked, false);
    HandOverUserFiles();

    const QStringList paths = Paths("unpacked");
    const QString config = QString::fromStdString(User("config/quendry"));
    for (const QString& line :
         {QStringLiteral("Layout       installed: the program folder ") + QString::fromStdString(unpacked) +
              QStringLiteral(" cannot be written"),
          QStringLiteral("default.bin  ") + QString::fromStdString(unpacked) + QStringLiteral("/default.bin"),
          QStringLiteral("maps.ini     ") + config + QStringLiteral("/maps.ini")})
        EXPECT_TRUE(paths.contains(line)) << line.toStdString() << "\n" << paths.join(QLatin1Char('\n')).toStdString();
    CheckWindow("unpacked");
}

} // namespace
