#include "platform/ShellLink.h"

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

TEST(ShellLinkTest, AFolderThatCannotBeWrittenGivesFalse) {
    TestFolder folder;
    EXPECT_FALSE(CreateShellLink("/games/CoDMP.exe", folder.File("missing/COD Server"), "", "/games/CoDMP.exe", 0, 5));
    EXPECT_TRUE(CreateShellLink("/games/CoDMP.exe", folder.File("COD Server"), "", "/games/CoDMP.exe", 0, 5));
    EXPECT_EQ(folder.Read("COD Server.desktop").substr(0, 16), "[Desktop Entry]\n");
}

} // namespace
