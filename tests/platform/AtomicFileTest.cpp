#include "platform/AtomicFile.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(AtomicFileTest, ReplacesTheWholeFileAndLeavesNoTemporary) {
    TestFolder folder;
    const std::string path = folder.Write("a.cfg", "old content that is longer");
    WriteFileAtomically(path, "new");
    EXPECT_EQ(folder.Read("a.cfg"), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(AtomicFileTest, FailsWithTheRuntimeMessageWhenTheFolderIsMissing) {
    TestFolder folder;
    const std::string path = folder.File("missing/standard.cfg");
    try {
        WriteFileAtomically(path, "x");
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible de créer le fichier " + path);
    }
}

} // namespace
