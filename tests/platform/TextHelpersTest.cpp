// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextHelpers.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    std::string text;
    std::string delimiters;
    std::string beforeFirst, afterFirst, beforeLast, afterLast;
};

TEST(TextHelpersTest, SplitsAtTheFirstOrLastDelimiterOrKeepsTheWholeText) {
    const std::vector<SplitCase> cases = {
        {"a b c", " ", "a", "b c", "a b", "c"},
        {"no delimiter", "=", "no delimiter", "no delimiter", "no delimiter", "no delimiter"},
        {"x=1;y", "=;", "x", "1;y", "x=1", "y"},
        {"=edge=", "=", "", "edge=", "=edge", ""},
        {"", " ", "", "", "", ""},
        {"caf\u00e9/\u00e9t\u00e9", "/", "caf\u00e9", "\u00e9t\u00e9", "caf\u00e9", "\u00e9t\u00e9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextBeforeFirst(c.text, c.delimiters), c.beforeFirst) << c.text;
        EXPECT_EQ(TextAfterFirst(c.text, c.delimiters), c.afterFirst) << c.text;
        EXPECT_EQ(TextBeforeLast(c.text, c.delimiters), c.beforeLast) << c.text;
        EXPECT_EQ(TextAfterLast(c.text, c.delimiters), c.afterLast) << c.text;
    }
}

TEST(TextHelpersTest, TrimRemovesBlanksAndControlCharactersOnlyAtTheEnds) {
    EXPECT_EQ(Trim(" \t\r\n a b \x01\x1f "), "a b");
    EXPECT_EQ(Trim("\u00e9\u00a0"), "\u00e9\u00a0"); // bytes above 127 are text, not blanks
    EXPECT_EQ(Trim("   "), "");
}

TEST(TextHelpersTest, SameTextIgnoresLetterCaseInAnyAlphabet) {
    EXPECT_TRUE(SameText("Mp_Carentan", "mp_carentan"));
    EXPECT_TRUE(SameText("\u00c9t\u00e9", "\u00e9T\u00c9"));
    EXPECT_FALSE(SameText("mp_a", "mp_a "));
    EXPECT_FALSE(SameText("e", "\u00e9"));
}

} // namespace
