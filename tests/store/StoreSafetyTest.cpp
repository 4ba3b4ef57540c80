// SPDX-License-Identifier: GPL-3.0-or-later
// What a store promises its files: an add that stops at any moment, killed or short of space, leaves the old store
// or the new one; a store opened only to read is never written; extracted files get the umask's default mode.
#include "store/ResourcesMaker.h"

#include "StoreTestSupport.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The message of what `action` throws; fails the test when it throws nothing.
template <typename Action> std::string ErrorOf(Action action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error";
    return {};
}

// Runs `action` in a child process whose files may not grow beyond `limit` bytes: the first write past it kills
// the child with SIGXFSZ, as a kill would at that very moment. Returns the child's wait status.
int KilledAtFileSize(rlim_t limit, const std::function<void()>& action) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limited{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &limited);
        try {
            action();
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// A store of two members, the first large enough that packing a new member fits under a file size limit that
// the store itself crosses as it grows.
class StoreSafetyTest : public testing::Test {
protected:
    void SetUp() override {
        TResourcesMaker store(StorePath(), "");
        store.AddResource(folder.Write("big.bin", RandomBytes(400'000, 1)), "big.bin", false);
        store.AddResource(folder.Write("notes.txt", SampleText(5000)), "notes.txt", false);
        before = folder.Read(StorePath());
        newMember = folder.Write("new.bin", RandomBytes(100'000, 2));
    }

    std::string StorePath() const { return folder.File("store.bin"); }

    // The old members, listed and extracted through a read-only opening.
    void ExpectTheOldStore(const std::string& when) {
        SCOPED_TRACE(when);
        TResourcesMaker store(StorePath(), "", TStoreAccess::ReadOnly);
        ASSERT_EQ(store.Count(), 2);
        EXPECT_EQ(store.ResourceName(0), "big.bin");
        EXPECT_EQ(store.ResourceName(1), "notes.txt");
        store.ExtractResource(folder.File("out"), "notes.txt", true, epFileNameOnly);
        EXPECT_EQ(folder.Read("out/notes.txt"), SampleText(5000));
    }

    // Nothing the store made is left beside it.
    void ExpectNoScratchBesideTheStore() {
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            EXPECT_EQ(entry.path().filename().string().find("store.bin."), std::string::npos) << entry.path();
    }

    TestFolder folder;
    std::string before;
    std::string newMember;
};

TEST_F(StoreSafetyTest, AnAddKilledAnywhereLeavesTheOldStoreWhichTheNextAddRestores) {
    const auto newSize = static_cast<rlim_t>(before.size() + 292 + 100'050);
    for (const rlim_t limit :
         {static_cast<rlim_t>(before.size() + 1), static_cast<rlim_t>(before.size() + 50'000), newSize - 200}) {
        const int status = KilledAtFileSize(limit, [&] {
            TResourcesMaker store(StorePath(), "");
            store.SetCompressionLevel(3); // stored as it is: the packed size is known before the add
            store.AddResource(newMember, "new.bin", false);
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "limit " << limit << ", status " << status;
        ExpectTheOldStore("killed at " + std::to_string(limit) + " bytes");
        // A writable opening cuts what the unfinished add left: the old store, byte for byte.
        TResourcesMaker(StorePath(), "");
        EXPECT_EQ(folder.Read(StorePath()), before) << limit;
    }
    TResourcesMaker store(StorePath(), "");
    store.AddResource(newMember, "new.bin", false);
    EXPECT_EQ(store.Count(), 3);
    store.ExtractResource(folder.File("out"), "new.bin", true, epFileNameOnly);
    EXPECT_EQ(folder.Read("out/new.bin"), folder.Read(newMember));
}

TEST_F(StoreSafetyTest, AnAddCutAnywhereInItsDataReadsAsTheOldStore) {
    // What an add leaves when killed while it copies the member's data: the trailer already at the new end, the
    // old trailer still where the new header goes, the data partly written.
    std::string after;
    {
        TResourcesMaker store(StorePath(), "");
        store.AddResource(newMember, "new.bin", false);
    }
    after = folder.Read(StorePath());
    const std::size_t header = before.size() - 28;
    for (const std::size_t written :
         {std::size_t{0}, std::size_t{1}, std::size_t{60'000}, after.size() - header - 320}) {
        std::string cut = after;
        std::fill(cut.begin() + static_cast<long>(header), cut.begin() + static_cast<long>(header + 292), '\0');
        std::copy(before.end() - 28, before.end(), cut.begin() + static_cast<long>(header));
        std::fill(cut.begin() + static_cast<long>(header + 292 + written), cut.end() - 28, '\0');
        folder.Write("store.bin", cut);
        ExpectTheOldStore(std::to_string(written) + " bytes of data written");
        EXPECT_EQ(folder.Read(StorePath()), cut) << "reading never writes";
        TResourcesMaker(StorePath(), "");
        EXPECT_EQ(folder.Read(StorePath()), before) << written;
    }
}

TEST_F(StoreSafetyTest, AnAddShortOfSpaceKeepsTheOldStoreAndLeavesNoScratchFile) {
    std::string tempFolder;
    {
        TResourcesMaker store(StorePath(), "");
        tempFolder = store.TempFolder();
        const std::string message = ErrorOf([&] {
            const FileSizeLimit limit(before.size() + 50'000);
            store.AddResource(newMember, "new.bin", false);
        });
        EXPECT_NE(message.find("File too large"), std::string::npos) << message;
        EXPECT_EQ(store.Count(), 2);
        EXPECT_EQ(folder.Read(StorePath()), before);
        // A replace that fails keeps the member it would have replaced.
        const std::string replace = ErrorOf([&] {
            const FileSizeLimit limit(before.size()); // room for the store without the old member, not with the new
            store.AddResource(newMember, "notes.txt", true);
        });
        EXPECT_NE(replace.find("File too large"), std::string::npos) << replace;
    }
    EXPECT_FALSE(fs::exists(tempFolder));
    ExpectNoScratchBesideTheStore();
    ExpectTheOldStore("after the failed adds");
    EXPECT_EQ(folder.Read(StorePath()), before);
}

TEST_F(StoreSafetyTest, OpeningToReadNeverWritesAndRefusesWhatIsNoStore) {
    const std::string plain = folder.Write("plain.txt", "just some text, no store");
    EXPECT_EQ(ErrorOf([&] { TResourcesMaker(plain, "", TStoreAccess::ReadOnly); }), plain + ": not a resource store");
    EXPECT_EQ(folder.Read(plain), "just some text, no store");

    const std::string missing = folder.File("missing.bin");
    EXPECT_NE(ErrorOf([&] { TResourcesMaker(missing, "", TStoreAccess::ReadOnly); }).find(missing + " (No such file"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(missing));

    {
        // Readers share the store, and it cannot be changed through them.
        TResourcesMaker first(StorePath(), "", TStoreAccess::ReadOnly);
        TResourcesMaker second(StorePath(), "", TStoreAccess::ReadOnly);
        second.ExtractResource(folder.File("out"), "big.bin", true, epFileNameOnly);
        EXPECT_NE(ErrorOf([&] { second.AddResource(newMember, "new.bin", false); }).find("lecture seule"),
                  std::string::npos);
        EXPECT_NE(ErrorOf([&] { second.DeleteResource("big.bin"); }).find("lecture seule"), std::string::npos);
        EXPECT_NE(ErrorOf([&] { TResourcesMaker(StorePath(), ""); }).find("déjà ouverte"), std::string::npos);
    }
    {
        // A writer has it alone.
        TResourcesMaker writer(StorePath(), "");
        EXPECT_NE(ErrorOf([&] { TResourcesMaker(StorePath(), "", TStoreAccess::ReadOnly); }).find("déjà ouverte"),
                  std::string::npos);
    }
    EXPECT_EQ(folder.Read(StorePath()), before);
}

TEST_F(StoreSafetyTest, ExtractedFilesTakeTheUmasksDefaultModeAndTheStoredAttributes) {
    const std::string readOnly = folder.Write("locked.txt", "locked");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    {
        TResourcesMaker store(StorePath(), "");
        store.AddResource(readOnly, "locked.txt", false);
    }
    const mode_t previous = ::umask(027);
    {
        TResourcesMaker store(StorePath(), "", TStoreAccess::ReadOnly);
        store.ExtractResource(folder.File("out"), "notes.txt", true, epFileNameOnly);
        store.ExtractResource(folder.File("out"), "locked.txt", true, epFileNameOnly);
        // Replacing a file gives the member's mode, not the old file's.
        ASSERT_EQ(::chmod(folder.File("out/notes.txt").c_str(), 0606), 0);
        store.ExtractResource(folder.File("out"), "notes.txt", true, epFileNameOnly);
    }
    ::umask(previous);
    EXPECT_EQ(ModeOf(folder.File("out/notes.txt")), 0640u);
    EXPECT_EQ(ModeOf(folder.File("out/locked.txt")), 0440u);
}

} // namespace
