// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "support/FileSizeLimit.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

std::size_t Entries(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// Sets the process's umask while it lives.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;

private:
    mode_t previous_;
};

TEST(AtomicFileTest, ReplacesTheWholeFileAndLeavesNoTemporary) {
    TestFolder folder;
    const std::string path = folder.Write("a.cfg", "old content that is longer");
    WriteFileAtomically(path, "new");
    EXPECT_EQ(folder.Read("a.cfg"), "new");
    EXPECT_EQ(Entries(folder.Path()), 1u);
}

TEST(AtomicFileTest, FailuresNameTheFileAndTheSystemsReason) {
    TestFolder folder;
    const std::string missing = folder.File("missing/standard.cfg");
    fs::create_directories(folder.File("standard.cfg"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {missing, "Impossible de créer le fichier " + missing + " (No such file or directory)"},
        {folder.File("standard.cfg"),
         "Impossible de créer le fichier " + folder.File("standard.cfg") + " (Is a directory)"},
    };
    for (const auto& [path, message] : cases) {
        try {
            WriteFileAtomically(path, "x");
            ADD_FAILURE() << "no error for " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
    EXPECT_EQ(Entries(folder.Path()), 1u) << "no scratch file left";
}

TEST(AtomicFileTest, AReplacedFileKeepsItsModeAndANewOneTakesTheUmasksDefault) {
    const UmaskScope umask(022);
    TestFolder folder;
    for (const unsigned mode : {0600u, 0640u, 0755u, 0444u}) {
        const std::string path = folder.Write("kept.cfg", "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        WriteFileAtomically(path, "new");
        EXPECT_EQ(ModeOf(path), mode) << std::oct << mode;
        EXPECT_EQ(folder.Read("kept.cfg"), "new");
    }
    WriteFileAtomically(folder.File("new.cfg"), "x");
    EXPECT_EQ(ModeOf(folder.File("new.cfg")), 0644u);
    WriteFileAtomically(folder.File("new.ini"), "x", PrivateFileMode);
    EXPECT_EQ(ModeOf(folder.File("new.ini")), 0600u);
    // The passwords of an existing file stay as private as its owner made them, whatever mode a new one would get.
    ASSERT_EQ(::chmod(folder.File("new.ini").c_str(), 0640), 0);
    WriteFileAtomically(folder.File("new.ini"), "y", PrivateFileMode);
    EXPECT_EQ(ModeOf(folder.File("new.ini")), 0640u);
}

TEST(AtomicFileTest, AReplacedFileKeepsItsOwnerWhereTheSystemAllows) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    TestFolder folder;
    const std::string path = folder.Write("standard.cfg", "old");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    WriteFileAtomically(path, "new");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 4321u);
    EXPECT_EQ(status.st_gid, 4322u);
}

TEST(AtomicFileTest, ALinkIsFollowedAndItsTargetReplaced) {
    TestFolder folder;
    const std::string target = folder.Write("real/advanced.cfg", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    fs::create_directories(folder.File("mod"));
    fs::create_symlink("../real/advanced.cfg", folder.File("mod/advanced.cfg")); // relative, to another folder
    fs::create_symlink("advanced.cfg", folder.File("mod/again.cfg"));            // a link to the link
    fs::create_symlink("absent.cfg", folder.File("mod/dangling.cfg"));

    WriteFileAtomically(folder.File("mod/advanced.cfg"), "first");
    EXPECT_TRUE(fs::is_symlink(folder.File("mod/advanced.cfg")));
    EXPECT_EQ(folder.Read("real/advanced.cfg"), "first");
    EXPECT_EQ(ModeOf(target), 0600u);
    WriteFileAtomically(folder.File("mod/again.cfg"), "second");
    EXPECT_TRUE(fs::is_symlink(folder.File("mod/again.cfg")));
    EXPECT_EQ(folder.Read("real/advanced.cfg"), "second");
    WriteFileAtomically(folder.File("mod/dangling.cfg"), "created");
    EXPECT_TRUE(fs::is_symlink(folder.File("mod/dangling.cfg")));
    EXPECT_EQ(folder.Read("mod/absent.cfg"), "created");
    EXPECT_EQ(Entries(folder.File("mod")), 4u) << "no scratch file left";
    EXPECT_EQ(Entries(folder.File("real")), 1u) << "no scratch file left";
}

TEST(AtomicFileTest, AShortWriteKeepsTheOldFileWholeAndSaysWhy) {
    TestFolder folder;
    const std::string path = folder.Write("standard.cfg", "the old settings");
    try {
        const FileSizeLimit limit(4096);
        WriteFileAtomically(path, std::string(100'000, 'x'));
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible de créer le fichier " + path + " (File too large)");
    }
    EXPECT_EQ(folder.Read("standard.cfg"), "the old settings");
    EXPECT_EQ(Entries(folder.Path()), 1u) << "no scratch file left";
}

TEST(AtomicFileTest, ReadingNamesWhatCannotBeReadWithoutWaitingOnAPipe) {
    TestFolder folder;
    fs::create_directories(folder.File("folder.ini"));
    ASSERT_EQ(::mkfifo(folder.File("pipe.ini").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.ini", "No such file or directory"},
        {"folder.ini", "Is a directory"},
        {"pipe.ini", "not a regular file"},
    };
    for (const auto& [name, reason] : cases) {
        try {
            ReadWholeFile(folder.File(name));
            ADD_FAILURE() << "no error for " << name;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Impossible d'ouvrir le fichier " + folder.File(name) + " (" + reason + ")");
            EXPECT_EQ(error.Reason(), reason);
        }
    }
    EXPECT_EQ(ReadWholeFile(folder.Write("a.ini", std::string("a\0b", 3))), std::string("a\0b", 3));
}

TEST(AtomicFileTest, AReadWithALimitRefusesALargerFileWhateverItsSizeSays) {
    TestFolder folder;
    const std::string exact = folder.Write("exact", std::string(100, 'x'));
    EXPECT_EQ(ReadWholeFile(exact, 100).size(), 100u);
    // A sparse file says its size; a file of the kernel's says 0 and holds more all the same.
    const std::string sparse = folder.Write("sparse", "");
    fs::resize_file(sparse, std::uintmax_t{1} << 30);
    for (const std::string& path : {folder.File("sparse"), std::string("/proc/self/maps")}) {
        try {
            ReadWholeFile(path, 100);
            ADD_FAILURE() << "no error for " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'ouvrir le fichier " + path + " (larger than 100 bytes)");
        }
    }
}

} // namespace

TEST(AtomicFileTest, AFileWrittenInPiecesReplacesTheOldOneOnlyAtCommit) {
    TestFolder folder;
    folder.Write("mod/a.cfg", "old");
    {
        AtomicFileWriter file(folder.Path(), "mod/a.cfg");
        file.Write("first ");
        file.Write("");
        file.Write(std::string(200'000, 'x'));
        EXPECT_EQ(folder.Read("mod/a.cfg"), "old");
        file.Write(" last");
        file.Commit();
    }
    EXPECT_EQ(folder.Read("mod/a.cfg"), "first " + std::string(200'000, 'x') + " last");
    EXPECT_EQ(Entries(folder.File("mod")), 1u) << "no scratch file left";
    {
        AtomicFileWriter file(folder.Path(), "mod/a.cfg");
        file.Write("never committed");
    }
    EXPECT_EQ(folder.Read("mod/a.cfg"), "first " + std::string(200'000, 'x') + " last");
    EXPECT_EQ(Entries(folder.File("mod")), 1u) << "no scratch file left";
}

TEST(AtomicFileTest, APieceWiseWriteSaysAtCommitWhatWentWrongAsAWholeWriteWould) {
    TestFolder folder;
    const auto failure = [](const std::function<void()>& write) {
        try {
            write();
        } catch (const FileError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    const auto inPieces = [&](const std::string& relative, const std::string& content) {
        return failure([&] {
            AtomicFileWriter file(folder.Path(), relative);
            file.Write(content.substr(0, content.size() / 2));
            file.Write(content.substr(content.size() / 2));
            file.Commit();
        });
    };
    const auto whole = [&](const std::string& relative, const std::string& content) {
        return failure([&] { WriteFileBelow(folder.Path(), relative, content); });
    };
    folder.Write("mod/standard.cfg", "the old settings");
    fs::create_directories(folder.File("mod/folder.cfg"));
    for (const std::string relative : {"missing/a.cfg", "mod/folder.cfg"}) {
        const std::string expected = whole(relative, "x");
        EXPECT_NE(expected, "no error") << relative;
        EXPECT_EQ(inPieces(relative, "x"), expected) << relative;
    }
    {
        const FileSizeLimit limit(4096);
        const std::string expected = whole("mod/standard.cfg", std::string(100'000, 'x'));
        EXPECT_EQ(expected, "Impossible de créer le fichier " + folder.File("mod/standard.cfg") + " (File too large)");
        EXPECT_EQ(inPieces("mod/standard.cfg", std::string(100'000, 'x')), expected);
    }
    EXPECT_EQ(folder.Read("mod/standard.cfg"), "the old settings");
    EXPECT_EQ(Entries(folder.File("mod")), 2u) << "no scratch file left";
}
