// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/JsonText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(JsonText, EscapesWhatJsonMustAndKeepsEveryCharacterElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\cod", "\"C:\\\\cod\""},
        {"a\nb\rc\td\be\ff", "\"a\\nb\\rc\\td\\be\\ff\""},
        {std::string("\x01\x1f", 2) + std::string(1, '\0'), "\"\\u0001\\u001f\\u0000\""},
        {"/ and \x7f stay", "\"/ and \x7f stay\""},
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(JsonString(text), json) << text;
}

// A server's name may hold any byte: the JSON stays valid UTF-8, each stray byte standing as U+FFFD.
TEST(JsonText, BytesThatAreNoUtf8CharacterBecomeTheReplacementCharacter) {
    const std::string replacement = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"Caf\xE9", "Caf" + replacement},                                            // Windows-1252, not UTF-8
        {"\xC3", replacement},                                                       // cut short at the end
        {"\xC3(", replacement + "("},                                                // a lead byte without its follower
        {"\xC0\xAF", replacement + replacement},                                     // an overlong "/"
        {"\xED\xA0\x80", replacement + replacement + replacement},                   // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement}, // past U+10FFFF
        {"\x80x", replacement + "x"},                                                // a follower alone
    };
    for (const auto& [text, content] : cases)
        EXPECT_EQ(JsonString(text), "\"" + content + "\"") << content;
}

} // namespace
