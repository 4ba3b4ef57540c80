// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TerminalText.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(TerminalTextTest, WhatCouldRewriteTheScreenIsShownEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"maps/mp_harbor.arena", "maps/mp_harbor.arena"},
        {"Caf\u00e9 \\ \u20ac", "Caf\u00e9 \\ \u20ac"},
        {"a\x1b[2Jb", "a\\x1b[2Jb"},
        {"line\r\nforged", "line\\x0d\\x0aforged"},
        {"tab\there\x7f", "tab\\x09here\\x7f"},
        {"nul\0byte"s, "nul\\x00byte"},
        {"c1\u009bcsi", "c1\\x9bcsi"},
        {"txt.\u202eexe", "txt.\\u202eexe"},
        {"\u2066a\u2067b\u2068c\u2069\u202a\u202b\u202c\u202d",
         "\\u2066a\\u2067b\\u2068c\\u2069\\u202a\\u202b\\u202c\\u202d"},
        {"one\u2028two\u2029three", "one\\u2028two\\u2029three"},
        {"bad \xff\xc3 utf-8", "bad \\xff\\xc3 utf-8"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(TerminalSafe(text), shown) << shown;
}

} // namespace
