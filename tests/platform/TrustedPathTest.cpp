// SPDX-License-Identifier: GPL-3.0-or-later
// Links in a folder that others may write: followed only when they belong to the running user or root.
#include "platform/TrustedPath.h"

#include "platform/AtomicFile.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The account that plants links in the tests: "nobody" on Debian.
constexpr uid_t Stranger = 65534;

// A link at `at` to `target`, owned by `owner`.
void PlantLink(const std::string& target, const std::string& at, uid_t owner) {
    fs::create_directories(fs::path(at).parent_path());
    fs::create_symlink(target, at);
    ASSERT_EQ(::lchown(at.c_str(), owner, static_cast<gid_t>(-1)), 0) << at;
}

TEST(TrustedPathTest, LinksOfTheUserOrRootAreFollowedOthersRefusedWhereverTheyStand) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may make a link that belongs to another user";
    struct Case {
        const char* what;
        std::vector<std::tuple<std::string, std::string, uid_t>> links; // target, place below the game, owner
        std::string relative;                                           // what is opened below the game
        std::string resolved; // the path reached below the test folder, empty when refused
        std::string refused;  // the link named in the refusal, below the test folder
    };
    const std::vector<Case> cases = {
        {"own link to a file elsewhere",
         {{"../../elsewhere/a.cfg", "game/mod/a.cfg", 0}},
         "mod/a.cfg",
         "elsewhere/a.cfg",
         ""},
        {"own link to a folder, then a file",
         {{"../elsewhere", "game/linked", 0}},
         "linked/a.cfg",
         "elsewhere/a.cfg",
         ""},
        {"a stranger's link as the file",
         {{"../../protected/passwd", "game/mod/standard.cfg", Stranger}},
         "mod/standard.cfg",
         "",
         "game/mod/standard.cfg"},
        {"a stranger's link as a folder on the way",
         {{"../protected", "game/other", Stranger}},
         "other/passwd",
         "",
         "game/other"},
        {"a stranger's link behind an own one",
         {{"other", "game/mod/a.cfg", 0}, {"../../protected/passwd", "game/mod/other", Stranger}},
         "mod/a.cfg",
         "",
         "game/mod/other"},
        {"a stranger's dangling link",
         {{"../../created.cfg", "game/mod/advanced.cfg", Stranger}},
         "mod/advanced.cfg",
         "",
         "game/mod/advanced.cfg"},
        {"no link at all", {}, "mod/plain.cfg", "game/mod/plain.cfg", ""},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        folder.Write("game/mod/plain.cfg", "plain");
        folder.Write("elsewhere/a.cfg", "elsewhere");
        // What a stranger's link points at: a file that only its owner may change.
        const std::string decoy = folder.WriteDecoy("protected/passwd", "root:x:0:0");
        for (const auto& [target, at, owner] : c.links)
            PlantLink(target, folder.File(at), owner);
        const std::string game = folder.File("game");
        if (!c.resolved.empty()) {
            EXPECT_EQ(ResolveBelow(game, c.relative, "Impossible de créer le fichier"), folder.File(c.resolved))
                << c.what;
            continue;
        }
        const std::string expected = "Impossible de créer le fichier " + game + "/" + c.relative + " (the link " +
                                     folder.File(c.refused) +
                                     " belongs to nobody (uid 65534), neither to you nor to root: it is not followed)";
        try {
            WriteFileBelow(game, c.relative, "overwritten");
            ADD_FAILURE() << "not refused: " << c.what;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), expected) << c.what;
        }
        try {
            ::close(OpenBelow(game, c.relative, O_WRONLY | O_CREAT | O_APPEND));
            ADD_FAILURE() << "not refused: " << c.what;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), expected) << c.what;
        }
        EXPECT_FALSE(fs::exists(folder.File("created.cfg"))) << c.what;
        EXPECT_EQ(folder.Read(decoy), "root:x:0:0") << c.what;
        EXPECT_EQ(fs::status(decoy).permissions(), fs::perms::owner_read | fs::perms::owner_write) << c.what;
        EXPECT_EQ(folder.Read("elsewhere/a.cfg"), "elsewhere") << c.what;
    }
}

TEST(TrustedPathTest, AnOwnDanglingLinkCreatesItsTargetAndMissingFoldersAreMadeOnRequest) {
    TestFolder folder;
    PlantLink("../kept/advanced.cfg", folder.File("game/advanced.cfg"), ::geteuid());
    fs::create_directories(folder.File("kept"));
    WriteFileBelow(folder.File("game"), "advanced.cfg", "written");
    EXPECT_EQ(folder.Read("kept/advanced.cfg"), "written");
    EXPECT_TRUE(fs::is_symlink(folder.File("game/advanced.cfg")));

    EXPECT_EQ(ResolveBelow(folder.File("game"), "a/b", "Impossible de créer le dossier", true),
              folder.File("game/a/b"));
    EXPECT_TRUE(fs::is_directory(folder.File("game/a/b")));
    EXPECT_EQ(ResolveBelow(folder.File("game"), "c/d", "Impossible de créer le dossier"), folder.File("game/c/d"));
    EXPECT_FALSE(fs::exists(folder.File("game/c")));
}

} // namespace
