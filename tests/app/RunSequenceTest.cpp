// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RunSequence.h"

#include "store/ResourcesMaker.h"
#include "support/StandardValues.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class RunSequenceTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string pk3 = folder_.Write("sources/PRM_5.pk3", std::string(5000, 'p'));
        const std::string notes = folder_.Write("sources/notes.txt", "mod notes\n");
        std::filesystem::create_directories(folder_.File("program"));
        {
            TResourcesMaker store(folder_.File("program/data.bin"), "");
            store.AddResource(pk3, "BriselaMOD_v2\\PRM_5.pk3", true);
            store.AddResource(notes, "BriselaMOD_v2\\notes.txt", true);
        }
        folder_.Write("game/CoDMP.exe", "");
        folder_.Write("game/main/config_mp.cfg", "seta sv_maxclients \"16\"\r\n");
        settings_.modStore = folder_.File("program/data.bin");
        settings_.modFolder = "BriselaMOD_v2";
        settings_.options = FirstStandardValues();
        settings_.options.texts["EditPath"] = folder_.File("game");
        settings_.options.numbers["dedicated"] = 2;
        settings_.options.lines["ListBoxCfg"] = {"// Voting", "seta g_allowvote \"1\""};
        setenv("QUENDRY_EXE_RUNNER", "/opt/runners/my-wine", 1);
    }
    void TearDown() override { unsetenv("QUENDRY_EXE_RUNNER"); }

    RunOutcome Run() {
        const RunEnvironment environment{[this](const std::string& line) { log_.push_back(line); },
                                         [] { return QDateTime(QDate(2026, 12, 10), QTime(21, 5, 7)); },
                                         [this](const ServerLaunch& launch) {
                                             launched_.push_back(launch.executable + "|" + launch.parameters + "|" +
                                                                 launch.modPath);
                                             return std::optional<int>(42);
                                         }};
        return RunServer(settings_, environment);
    }

    std::string Session() const { return SessionLine(QDateTime(QDate(2026, 12, 10), QTime(21, 5, 7))); }

    TestFolder folder_;
    RunSettings settings_;
    Lines log_;
    Lines launched_;
};

TEST_F(RunSequenceTest, FirstRunInstallsPatchesWritesAndLaunches) {
    EXPECT_EQ(Run(), RunOutcome::Launched);
    EXPECT_EQ(log_, Concat({{Session(), "Path : valid path", "PRM_5.pk3 : installed", "notes.txt : installed",
                             "PATCH for default_mp.cfg : applied"},
                            StandardSectionLog(),
                            {"Standard cfg : saved", "Adavanced cfg : saved",
                             "Server program : CoDMP.exe (through my-wine)", "Launch server : 42"}}));
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/PRM_5.pk3"), std::string(5000, 'p'));
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/notes.txt"), "mod notes\n");
    EXPECT_EQ(folder_.Read("game/main/default_mp.cfg"), "seta sv_maxclients \"16\"\r\n");
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced.cfg"), "// Voting\r\nseta g_allowvote \"1\"\r\n");
    EXPECT_TRUE(folder_.Read("game/BriselaMOD_v2/standard.cfg").ends_with("map_rotate\r\n"));
    EXPECT_EQ(launched_, Lines{folder_.File("game/CoDMP.exe") +
                               "|+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg +exec standard.cfg|" +
                               folder_.File("game/BriselaMOD_v2")});
}

TEST_F(RunSequenceTest, SecondRunKeepsPresentFilesOnlyWhenThePathWasRestored) {
    Run();
    folder_.Write("game/BriselaMOD_v2/notes.txt", "edited by the admin\n");
    folder_.Write("game/main/config_mp.cfg", "changed since\r\n");
    log_.clear();
    settings_.pathRestored = true;
    Run();
    EXPECT_EQ(Lines(log_.begin() + 2, log_.begin() + 5),
              (Lines{"PRM_5.pk3 : already installed", "notes.txt : already installed",
                     "PATCH for default_mp.cfg : already applied"}));
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/notes.txt"), "edited by the admin\n");
    EXPECT_EQ(folder_.Read("game/main/default_mp.cfg"), "seta sv_maxclients \"16\"\r\n");

    log_.clear();
    settings_.pathRestored = false;
    Run();
    EXPECT_EQ(log_[3], "notes.txt : installed");
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/notes.txt"), "mod notes\n");
}

TEST_F(RunSequenceTest, AGameFolderGivenAnewKeepsOnlyFilesThatHoldTheirMemberExactly) {
    Run();
    const struct {
        const char* content; // of notes.txt before the next Run, whose member holds "mod notes\n"
        const char* logged;
    } cases[] = {
        {"mod notes\n", "notes.txt : already installed"},
        {"mod notez\n", "notes.txt : installed"}, // same size, another checksum
        {"mod notes\n\n", "notes.txt : installed"},
        {"", "notes.txt : installed"},
    };
    for (const auto& c : cases) {
        folder_.Write("game/BriselaMOD_v2/notes.txt", c.content);
        log_.clear();
        Run();
        EXPECT_EQ(Lines(log_.begin() + 2, log_.begin() + 4), (Lines{"PRM_5.pk3 : already installed", c.logged}))
            << c.content;
        EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/notes.txt"), "mod notes\n");
    }
}

TEST_F(RunSequenceTest, MissingExecutableStopsBeforeWritingAnythingAndTheLogSaysWhatWasLookedFor) {
    std::filesystem::remove(folder_.File("game/CoDMP.exe"));
    EXPECT_EQ(Run(), RunOutcome::InvalidGamePath);
    EXPECT_EQ(log_,
              (Lines{Session(), "Path : invalid path",
                     "Path : " + folder_.File("game") + " holds neither an executable cod_lnxded nor CoDMP.exe"}));
    EXPECT_FALSE(std::filesystem::exists(folder_.File("game/BriselaMOD_v2")));
    EXPECT_TRUE(launched_.empty());

    settings_.options.texts["EditPath"] = folder_.File("nowhere");
    log_.clear();
    EXPECT_EQ(Run(), RunOutcome::InvalidGamePath);
    EXPECT_EQ(log_.back(), "Path : " + folder_.File("nowhere") + " is not a folder");

    settings_.options.texts["EditPath"].clear();
    EXPECT_EQ(Run(), RunOutcome::InvalidGamePath);
    EXPECT_EQ(log_.back(), "Path : no game folder is chosen");
}

TEST_F(RunSequenceTest, EmptyRotationStopsAfterThePathCheck) {
    settings_.options.lines["ListBoxSelectedMaps"].clear();
    EXPECT_EQ(Run(), RunOutcome::NoMaps);
    EXPECT_EQ(log_, (Lines{Session(), "Path : valid path"}));
    EXPECT_FALSE(std::filesystem::exists(folder_.File("game/main/default_mp.cfg")));
}

TEST_F(RunSequenceTest, NoServerTypeGivesMinusOneAndAnEmptyListAnEmptyFile) {
    settings_.options.numbers["dedicated"] = -1;
    settings_.options.lines["ListBoxCfg"].clear();
    Run();
    EXPECT_NE(launched_.at(0).find("|+set dedicated -1 +set fs_game BriselaMOD_v2 +exec advanced.cfg "
                                   "+exec standard.cfg|"),
              std::string::npos);
    EXPECT_EQ(folder_.Read("game/BriselaMOD_v2/advanced.cfg"), "");
}

TEST_F(RunSequenceTest, WithoutConfigMpThePatchIsAnEmptyFileAndAnExistingOneIsNeverTouched) {
    std::filesystem::remove(folder_.File("game/main/config_mp.cfg"));
    Run();
    EXPECT_EQ(folder_.Read("game/main/default_mp.cfg"), "");

    folder_.Write("game/main/default_mp.cfg", "the admin's own\r\n");
    folder_.Write("game/main/config_mp.cfg", "new\r\n");
    Run();
    EXPECT_EQ(folder_.Read("game/main/default_mp.cfg"), "the admin's own\r\n");
}

TEST_F(RunSequenceTest, APatchThatCannotBeWrittenEndsTheRunInsteadOfClaimingSuccess) {
    // A folder in the patch's place makes the copy fail, whoever runs the test (chmod does not stop root).
    std::filesystem::create_directories(folder_.File("game/main/default_mp.cfg"));
    try {
        Run();
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Impossible de créer le fichier " + folder_.File("game/main/default_mp.cfg") + " (Is a directory)");
    }
    EXPECT_EQ(log_[log_.size() - 2], "notes.txt : installed");
    EXPECT_EQ(log_.back(), "Run stopped : Impossible de créer le fichier " + folder_.File("game/main/default_mp.cfg") +
                               " (Is a directory)");
    EXPECT_TRUE(std::filesystem::is_empty(folder_.File("game/main/default_mp.cfg")));
}

TEST_F(RunSequenceTest, AConfigurationFileThatCannotBeWrittenEndsTheLogWithItsReason) {
    std::filesystem::create_directories(folder_.File("game/BriselaMOD_v2/standard.cfg"));
    EXPECT_THROW(Run(), std::runtime_error);
    EXPECT_EQ(log_.back(), "Run stopped : Impossible de créer le fichier " +
                               folder_.File("game/BriselaMOD_v2/standard.cfg") + " (Is a directory)");
    EXPECT_TRUE(launched_.empty());
}

TEST_F(RunSequenceTest, AnEmptyOrMissingDataStoreIsSaidAndLeftAsItIs) {
    {
        std::filesystem::remove(folder_.File("program/data.bin"));
        TResourcesMaker empty(folder_.File("program/data.bin"), "");
    }
    const std::string emptyStore = folder_.Read("program/data.bin");
    for (const bool missing : {false, true}) {
        if (missing)
            std::filesystem::remove(folder_.File("program/data.bin"));
        log_.clear();
        EXPECT_EQ(Run(), RunOutcome::Launched);
        EXPECT_EQ(log_[2], "data.bin holds no files: nothing to install") << missing;
        EXPECT_EQ(log_[3], "PATCH for default_mp.cfg : applied") << missing;
        EXPECT_TRUE(std::filesystem::exists(folder_.File("game/BriselaMOD_v2/standard.cfg")));
        EXPECT_TRUE(std::filesystem::exists(folder_.File("game/BriselaMOD_v2/advanced.cfg")));
        std::filesystem::remove(folder_.File("game/main/default_mp.cfg"));
    }
    EXPECT_FALSE(std::filesystem::exists(folder_.File("program/data.bin")));
}

TEST_F(RunSequenceTest, TheInstallOnlyReadsTheStoreAndRefusesAFileThatHoldsNone) {
    const std::string store = folder_.Read("program/data.bin");
    Run();
    EXPECT_EQ(folder_.Read("program/data.bin"), store);
    folder_.Write("program/data.bin", "not a store at all");
    log_.clear();
    try {
        Run();
        FAIL() << "no error";
    } catch (const std::exception& error) {
        EXPECT_EQ(std::string(error.what()), folder_.File("program/data.bin") + ": not a resource store");
    }
    EXPECT_EQ(folder_.Read("program/data.bin"), "not a store at all");
    EXPECT_EQ(log_[log_.size() - 2], "Path : valid path");
    EXPECT_EQ(log_.back(), "Run stopped : " + folder_.File("program/data.bin") + ": not a resource store");
}

TEST_F(RunSequenceTest, PrivateAndLinkedConfigurationFilesStaySo) {
    Run();
    const std::string mod = folder_.File("game/BriselaMOD_v2");
    // The administrator keeps the passwords private and advanced.cfg in a folder of their own.
    ASSERT_EQ(::chmod((mod + "/standard.cfg").c_str(), 0600), 0);
    const std::string shared = folder_.Write("admin/advanced.cfg", "old lines\r\n");
    ASSERT_EQ(::chmod(shared.c_str(), 0600), 0);
    std::filesystem::remove(mod + "/advanced.cfg");
    std::filesystem::create_symlink(shared, mod + "/advanced.cfg");
    settings_.options.texts["g_password"] = "secret";
    Run();
    struct stat status {};
    ASSERT_EQ(::stat((mod + "/standard.cfg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_NE(folder_.Read(mod + "/standard.cfg").find("seta g_password \"secret\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(mod + "/advanced.cfg"));
    EXPECT_EQ(folder_.Read(shared), "// Voting\r\nseta g_allowvote \"1\"\r\n");
    ASSERT_EQ(::stat(shared.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST_F(RunSequenceTest, NewConfigurationFilesAreReadableByTheirOwnerOnly) {
    // Either file may carry a password, whatever the umask of the user who runs the server.
    const mode_t previous = ::umask(002);
    settings_.options.texts["g_password"] = "secret";
    Run();
    ::umask(previous);
    for (const char* file : {"standard.cfg", "advanced.cfg"}) {
        struct stat status {};
        ASSERT_EQ(::stat(folder_.File(std::string("game/BriselaMOD_v2/") + file).c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 07777, 0600u) << file;
    }
}

TEST_F(RunSequenceTest, LinksPlantedByAnotherUserInTheGameFolderAreRefusedAndNothingIsWrittenThrough) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may make a link that belongs to another user";
    // What a service account that may write the game folder plants: each place below the game folder, and the
    // file outside it that a Run would overwrite, create or copy.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"BriselaMOD_v2/standard.cfg", "outside/passwd"}, {"BriselaMOD_v2/advanced.cfg", "outside/missing.cfg"},
        {"BriselaMOD_v2/notes.txt", "outside/passwd"},    {"BriselaMOD_v2", "outside"},
        {"main/default_mp.cfg", "outside/missing.cfg"},   {"main/config_mp.cfg", "outside/shadow"},
    };
    for (const auto& [planted, target] : cases) {
        std::filesystem::remove_all(folder_.File("game/BriselaMOD_v2"));
        std::filesystem::remove_all(folder_.File("outside"));
        std::filesystem::remove(folder_.File("game/main/default_mp.cfg"));
        folder_.Write("game/main/config_mp.cfg", "seta sv_maxclients \"16\"\r\n");
        folder_.Write("outside/passwd", "root:x:0:0\n");
        folder_.Write("outside/shadow", "root:secret\n");
        const std::string link = folder_.File("game/" + planted);
        std::filesystem::create_directories(std::filesystem::path(link).parent_path());
        if (planted == "main/config_mp.cfg")
            std::filesystem::remove(link);
        std::filesystem::create_symlink(folder_.File(target), link);
        ASSERT_EQ(::lchown(link.c_str(), 65534, static_cast<gid_t>(-1)), 0);
        try {
            Run();
            ADD_FAILURE() << "no error for " << planted;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("the link " + link + " belongs to nobody (uid 65534)"),
                      std::string::npos)
                << error.what();
        }
        EXPECT_EQ(folder_.Read("outside/passwd"), "root:x:0:0\n") << planted;
        EXPECT_FALSE(std::filesystem::exists(folder_.File("outside/missing.cfg"))) << planted;
        EXPECT_FALSE(std::filesystem::exists(folder_.File("game/main/default_mp.cfg")) &&
                     folder_.Read("game/main/default_mp.cfg").find("secret") != std::string::npos)
            << planted;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.File("outside")), {}), 2) << planted;
    }
}

TEST_F(RunSequenceTest, ThePatchIsNoMoreReadableThanTheFileItCopies) {
    const mode_t previous = ::umask(022);
    for (const unsigned mode : {0600u, 0640u, 0644u}) {
        std::filesystem::remove(folder_.File("game/main/default_mp.cfg"));
        ASSERT_EQ(::chmod(folder_.File("game/main/config_mp.cfg").c_str(), mode), 0);
        Run();
        struct stat status {};
        ASSERT_EQ(::stat(folder_.File("game/main/default_mp.cfg").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode) << std::oct << mode;
    }
    ::umask(previous);
}

TEST_F(RunSequenceTest, AFolderNamedLikeTheServerIsNoServer) {
    std::filesystem::remove(folder_.File("game/CoDMP.exe"));
    std::filesystem::create_directories(folder_.File("game/CoDMP.exe"));
    std::filesystem::create_directories(folder_.File("game/cod_lnxded"));
    EXPECT_EQ(Run(), RunOutcome::InvalidGamePath);
    EXPECT_EQ(log_[log_.size() - 2], "Path : invalid path");
}

TEST_F(RunSequenceTest, AnExecutableNativeServerIsStartedInsteadOfTheWindowsOne) {
    namespace fs = std::filesystem;
    const std::string native = folder_.Write("game/cod_lnxded", "#!/bin/sh\n");
    struct NativeCase {
        bool withWindowsServer;
        fs::perms permissions;
        RunOutcome outcome;
        std::string program; // the log's name of the started server; empty when none starts
    };
    const NativeCase cases[] = {
        {true, fs::perms::owner_all, RunOutcome::Launched, "cod_lnxded (native)"},
        {false, fs::perms::owner_all, RunOutcome::Launched, "cod_lnxded (native)"},
        {true, fs::perms::owner_read | fs::perms::owner_write, RunOutcome::Launched, "CoDMP.exe (through my-wine)"},
        {false, fs::perms::owner_read | fs::perms::owner_write, RunOutcome::InvalidGamePath, ""},
    };
    for (const auto& [withWindowsServer, permissions, outcome, program] : cases) {
        SCOPED_TRACE(program + (withWindowsServer ? " beside CoDMP.exe" : " alone"));
        fs::permissions(native, permissions);
        if (withWindowsServer)
            folder_.Write("game/CoDMP.exe", "");
        else
            fs::remove(folder_.File("game/CoDMP.exe"));
        log_.clear();
        launched_.clear();
        EXPECT_EQ(Run(), outcome);
        if (program.empty()) {
            EXPECT_EQ(log_[log_.size() - 2], "Path : invalid path");
            EXPECT_TRUE(launched_.empty());
            continue;
        }
        EXPECT_EQ(log_[1], "Path : valid path");
        EXPECT_EQ(log_[log_.size() - 2], "Server program : " + program);
        const std::string executable = program.starts_with("cod_lnxded") ? native : folder_.File("game/CoDMP.exe");
        EXPECT_EQ(launched_, Lines{executable +
                                   "|+set dedicated 2 +set fs_game BriselaMOD_v2 +exec advanced.cfg "
                                   "+exec standard.cfg|" +
                                   folder_.File("game/BriselaMOD_v2")});
    }
}

TEST_F(RunSequenceTest, DamagedMemberEndsTheRunWithTheStoresErrorAndKeepsTheLog) {
    // Damage the first member's data (it starts right after its 292-byte header).
    std::string bytes = folder_.Read("program/data.bin");
    for (std::size_t i = 292 + 2; i < 292 + 12; ++i)
        bytes[i] = static_cast<char>(~bytes[i]);
    folder_.Write("program/data.bin", bytes);
    try {
        Run();
        FAIL() << "no error";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("PRM_5.pk3"), std::string::npos) << error.what();
    }
    ASSERT_EQ(log_.size(), 3u);
    EXPECT_EQ(Lines(log_.begin(), log_.begin() + 2), (Lines{Session(), "Path : valid path"}));
    EXPECT_TRUE(log_.back().starts_with("Run stopped : ")) << log_.back();
    EXPECT_NE(log_.back().find("PRM_5.pk3"), std::string::npos) << log_.back();
    EXPECT_TRUE(launched_.empty());
}

TEST_F(RunSequenceTest, LauncherThatSkipsIsLoggedAsSkipped) {
    const RunEnvironment environment{[this](const std::string& line) { log_.push_back(line); },
                                     [] { return QDateTime::currentDateTime(); },
                                     [](const ServerLaunch&) { return std::optional<int>(); }};
    RunServer(settings_, environment);
    EXPECT_EQ(log_.back(), "Launch server : skipped");
}

TEST(SessionLineTest, LeavesTheTimeOutAtExactlyMidnight) {
    const std::string midnight = SessionLine(QDateTime(QDate(2026, 12, 10), QTime(0, 0)));
    const std::string evening = SessionLine(QDateTime(QDate(2026, 12, 10), QTime(21, 5, 7)));
    EXPECT_TRUE(midnight.starts_with("Session : "));
    EXPECT_TRUE(evening.starts_with(midnight + " "));
    EXPECT_NE(evening.find("05"), std::string::npos);
    EXPECT_NE(evening.find("07"), std::string::npos);
}

} // namespace
