// SPDX-License-Identifier: GPL-3.0-or-later
// The server's files in the mod folder, which others may write: a link planted there is not written through.
#include "platform/AtomicFile.h"
#include "server/ServerFiles.h"
#include "server/ServerStart.h"
#include "support/FakeServer.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(PlantedLinksTest, TheServersLogAndRecordAreNeverWrittenOrReadThroughAStrangersLink) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may make a link that belongs to another user";
    TestFolder folder;
    const std::string mod = folder.File("game/BriselaMOD_v2");
    fs::create_directories(mod);
    const std::string secret = folder.Write("outside/secret", "1234\nroot\nkeep\n");
    const auto plant = [&](const std::string& name) {
        fs::remove(mod + "/" + name);
        fs::create_symlink(secret, mod + "/" + name);
        ASSERT_EQ(::lchown((mod + "/" + name).c_str(), 65534, static_cast<gid_t>(-1)), 0);
    };
    const std::string refusal = " belongs to nobody (uid 65534), neither to you nor to root: it is not followed)";

    plant("server.log");
    const std::string server =
        WriteFakeServer(folder.File("game/cod_lnxded"), folder.File("record"), "appended to the secret\n", 0);
    try {
        StartServer({server, "+set dedicated 2", mod}, ServerOutput::LogFile);
        ADD_FAILURE() << "started with a planted server.log";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Impossible de créer le fichier " + mod + "/server.log (the link " + mod + "/server.log" + refusal);
    }
    EXPECT_FALSE(fs::exists(folder.File("record"))) << "the server was started";

    plant("server.pid");
    EXPECT_THROW(WriteServerRecord(mod, Instance(), {1234, 42, server, "+set dedicated 2"}), FileError);
    EXPECT_THROW(ReadServerRecord(mod, Instance()), FileError);
    EXPECT_EQ(folder.Read(secret), "1234\nroot\nkeep\n");
}

} // namespace
