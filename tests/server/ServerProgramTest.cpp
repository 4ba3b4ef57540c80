// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerProgram.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerProgramTest, TheWindowsServerGoesThroughTheRunnerAndTheNativeOneStartsItself) {
    struct CommandCase {
        std::string executable;
        ServerCommand expected;
        std::string text;
    };
    const std::vector<std::string> parameters = {"+set", "dedicated", "2", "+set", "fs_game", "My Mod"};
    const CommandCase cases[] = {
        {"/srv/cod/CoDMP.exe",
         {"wine", {"/srv/cod/CoDMP.exe", "+set", "dedicated", "2", "+set", "fs_game", "My Mod"}, "/srv/cod/"},
         "CoDMP.exe (through wine)"},
        {"/srv/cod/CODMP.EXE",
         {"wine", {"/srv/cod/CODMP.EXE", "+set", "dedicated", "2", "+set", "fs_game", "My Mod"}, "/srv/cod/"},
         "CODMP.EXE (through wine)"},
        {"/srv/cod/cod_lnxded", {"/srv/cod/cod_lnxded", parameters, "/srv/cod/"}, "cod_lnxded (native)"},
    };
    for (const auto& [executable, expected, text] : cases) {
        SCOPED_TRACE(executable);
        const ServerCommand command =
            MakeServerCommand(executable, "+set dedicated 2 +set  fs_game \"My Mod\"", "wine");
        EXPECT_EQ(command.program, expected.program);
        EXPECT_EQ(command.arguments, expected.arguments);
        EXPECT_EQ(command.workingFolder, expected.workingFolder);
        EXPECT_EQ(ServerProgramText(executable, "wine"), text);
    }
    EXPECT_EQ(ServerProgramText("/srv/cod/CoDMP.exe", "/opt/bin/wine-stable"), "CoDMP.exe (through wine-stable)");
}

} // namespace
