// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StartFailureHints.h"

#include "support/ElfProgram.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <elf.h>

namespace {

TEST(StartFailureHintsTest, A32BitProgramWhoseLoaderIsMissingSaysWhatToInstall) {
    TestFolder folder;
    const std::string missing = folder.File("no-such-lib/ld-linux.so.2");
    const struct {
        const char* name;
        std::string content;
        bool said;
    } cases[] = {
        {"missing loader", ElfProgram(ELFCLASS32, missing), true},
        {"present loader", ElfProgram(ELFCLASS32, folder.Write("ld-linux.so.2", "")), false},
        {"64-bit program", ElfProgram(ELFCLASS64, missing), false},
        {"script", "#!/bin/sh\nexec ./engine \"$@\"\n", false},
        {"cut short", ElfProgram(ELFCLASS32, missing).substr(0, 60), false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        const std::string program = folder.Write("cod_lnxded", c.content);
        const auto line = MissingLoader(program);
        if (c.said)
            EXPECT_EQ(line, "the 32-bit loader " + missing +
                                " is missing: dpkg --add-architecture i386 && apt-get update && apt-get install "
                                "libc6:i386")
                << c.name;
        else
            EXPECT_EQ(line, std::nullopt) << c.name;
    }
    EXPECT_EQ(MissingLoader(folder.File("absent")), std::nullopt);
}

TEST(StartFailureHintsTest, NamesFromTheServersFilesReachTheLogEscaped) {
    TestFolder folder;
    // The loader's path comes from the program file, the library's name from the loader's output.
    const std::string loader = folder.File("lib\x1b]0;owned\x07/ld-linux.so.2");
    EXPECT_EQ(MissingLoader(folder.Write("cod_lnxded", ElfProgram(ELFCLASS32, loader))),
              "the 32-bit loader " + folder.File("lib\\x1b]0;owned\\x07/ld-linux.so.2") +
                  " is missing: dpkg --add-architecture i386 && apt-get update && apt-get install libc6:i386");
    EXPECT_EQ(StartFailureHints({"./cod_lnxded: error while loading shared libraries: lib\x1b[2Jx.so.1: cannot open "
                                 "shared object file: No such file or directory"}),
              std::vector<std::string>{"Server program : the 32-bit library lib\\x1b[2Jx.so.1 is missing: install the "
                                       "i386 package that provides it"});
}

TEST(StartFailureHintsTest, TheOutputOfAFailedStartNamesTheMissingLibraryOrWine) {
    const std::string add = "dpkg --add-architecture i386 && apt-get update && apt-get install ";
    EXPECT_EQ(StartFailureHints({"./cod_lnxded: error while loading shared libraries: libstdc++.so.5: cannot open "
                                 "shared object file: No such file or directory"}),
              std::vector<std::string>{"Server program : the 32-bit library libstdc++.so.5 is missing: " + add +
                                       "libstdc++5:i386"});
    EXPECT_EQ(StartFailureHints({"./cod_lnxded: error while loading shared libraries: libfoo.so.3: cannot open shared "
                                 "object file: No such file or directory"}),
              std::vector<std::string>{"Server program : the 32-bit library libfoo.so.3 is missing: install the i386 "
                                       "package that provides it"});
    EXPECT_EQ(StartFailureHints({"it looks like wine32 is missing, you should install it.",
                                 "multiarch needs to be enabled first.  as root, please",
                                 "execute \"dpkg --add-architecture i386 && apt-get update &&",
                                 "apt-get install wine32:i386\"", "it looks like wine32 is missing"}),
              std::vector<std::string>{"Server program : 32-bit Wine is missing: " + add + "wine32:i386"});
    EXPECT_EQ(StartFailureHints({"Hunk_Clear: reset the hunk ok", "ERROR: Couldn't load default.cfg"}),
              std::vector<std::string>{});
}

} // namespace
