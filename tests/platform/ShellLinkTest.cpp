// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShellLink.h"

#include "platform/AtomicFile.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ShellLinkTest, ReservedCharactersAreQuotedAndEscapedTwice) {
    setenv("QUENDRY_EXE_RUNNER", "/opt/my runner/run", 1);
    // Inside quotes ", $ and \ take a backslash; the entry's string escaping then doubles every backslash, and
    // "%" is doubled so that it is no field code.
    EXPECT_EQ(ShellLinkText("/games/100% \"CoD\" $x\\y/CoDMP.exe", "/home/me/COD Server", "+set sv_hostname ^1a%b",
                            "/games/CoDMP.exe"),
              "[Desktop Entry]\nType=Application\nName=COD Server\n"
              "Exec=\"/opt/my runner/run\" \"/games/100%% \\\\\"CoD\\\\\" \\\\$x\\\\\\\\y/CoDMP.exe\" +set sv_hostname "
              "^1a%%b\nPath=/games/100% \"CoD\" $x\\\\y\nIcon=/games/CoDMP.exe\n");
    unsetenv("QUENDRY_EXE_RUNNER");
}

TEST(ShellLinkTest, AFolderThatCannotBeWrittenIsAnErrorNamingTheLauncher) {
    TestFolder folder;
    const std::string missing = folder.File("missing/COD Server");
    try {
        WriteShellLink("/games/CoDMP.exe", missing, "", "quendry");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(missing + ".desktop"), std::string::npos) << error.what();
        EXPECT_EQ(error.Reason(), "No such file or directory");
    }
    EXPECT_EQ(WriteShellLink("/games/CoDMP.exe", folder.File("COD Server"), "", "quendry"),
              folder.File("COD Server.desktop"));
    EXPECT_EQ(folder.Read("COD Server.desktop").substr(0, 16), "[Desktop Entry]\n");
}

} // namespace
