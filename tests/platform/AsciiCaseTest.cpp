// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AsciiCase.h"

#include <gtest/gtest.h>

TEST(AsciiCase, OnlyTheLettersAToZFold) {
    // Bytes of UTF-8 and Windows-1252 letters stay as they are, whatever the locale would say of them.
    EXPECT_EQ(UpperCaseAscii("abz AZ09_é\xE9"), "ABZ AZ09_é\xE9");
    EXPECT_EQ(LowerCaseAscii("ABZ az09_É\xC9"), "abz az09_É\xC9");
    EXPECT_TRUE(SameTextAscii("BriselaMod_v2\\prm_5.PK3", "briselamod_V2\\PRM_5.pk3"));
    EXPECT_FALSE(SameTextAscii("é", "É"));
    EXPECT_FALSE(SameTextAscii("\xE9", "\xC9"));
    EXPECT_FALSE(SameTextAscii("a", "a "));
}

TEST(AsciiCase, APrefixIsComparedWithItsCaseFolded) {
    EXPECT_TRUE(StartsWithAscii("SET net_port 28961", "set"));
    EXPECT_TRUE(StartsWithAscii("Net_Port", "net_port"));
    EXPECT_FALSE(StartsWithAscii("se", "set"));
    EXPECT_FALSE(StartsWithAscii("sex", "set"));
    EXPECT_TRUE(StartsWithAscii("anything", ""));
}
