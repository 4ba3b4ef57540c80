// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LineList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

TEST(LineList, CopiedLinesComeBackAsTheyWereWhateverTheirLengths) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {""},
        {"", "", ""},
        {"one"},
        {"a line longer than the small-string buffer of the library", "", "x"},
        {"\xC3\xA9t\xC3\xA9", " blanks ", "tab\there"},
    };
    for (const auto& lines : cases) {
        const LineList list(lines);
        ASSERT_EQ(list.size(), lines.size());
        EXPECT_EQ(list.empty(), lines.empty());
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(list[i], lines[i]) << i;
        EXPECT_EQ(list.Strings(), lines);
        EXPECT_EQ(list, lines);
    }
}

TEST(LineList, ListsAreEqualLineForLine) {
    const LineList ab{"a", "b"};
    EXPECT_EQ(ab, LineList(std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(ab == LineList{"a"});
    EXPECT_FALSE(LineList{"ab"} == ab);
    EXPECT_FALSE((LineList{"a"} == LineList{"a", ""}));
    EXPECT_FALSE(ab == (std::vector<std::string>{"a", "c"}));
    EXPECT_FALSE(ab == (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(LineList(), LineList(std::vector<std::string>{}));
}

TEST(LineList, ViewsOfASharedTextOutliveItsOtherOwners) {
    auto text = std::make_shared<const std::string>("key=first\nkey=second\n");
    const std::string_view whole(*text);
    LineList list(text, {whole.substr(4, 5), whole.substr(14, 6)});
    text.reset();
    const LineList copy = list;
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(copy, (std::vector<std::string>{"first", "second"}));
}

TEST(LineList, AnErasedLineLeavesTheOthersInTheirOrder) {
    LineList list{"one", "two", "three"};
    list.erase(list.begin() + 1);
    EXPECT_EQ(list, (std::vector<std::string>{"one", "three"}));
    list.erase(list.begin());
    EXPECT_EQ(list, (std::vector<std::string>{"three"}));
}
