// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LineList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
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
    LineList list(text, 2);
    list.AddView(whole.substr(4, 5));
    list.AddView(whole.substr(14, 6));
    text.reset();
    const LineList copy = list;
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(copy, (std::vector<std::string>{"first", "second"}));
}

TEST(LineList, LinesAreWalkedLikeThoseOfAVector) {
    const std::vector<std::string> lines = {"zero", "one", "", "three", "four"};
    const LineList list(lines);
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.end()), lines);
    EXPECT_EQ(
        std::vector<std::string>(std::make_reverse_iterator(list.end()), std::make_reverse_iterator(list.begin())),
        (std::vector<std::string>{"four", "three", "", "one", "zero"}));
    auto at = list.begin();
    EXPECT_EQ(*(at + 3), "three");
    EXPECT_EQ(at[4], "four");
    at += 4;
    EXPECT_EQ(*at--, "four");
    EXPECT_EQ(*at, "three");
    EXPECT_EQ(*--at, "");
    EXPECT_EQ(list.end() - at, 3);
    EXPECT_LT(at, list.end());
    EXPECT_EQ(list[1], "one");
    EXPECT_EQ(std::ranges::count(list, std::string_view()), 1);
}

TEST(LineList, AnErasedLineLeavesTheOthersInTheirOrder) {
    LineList list{"one", "two", "three"};
    list.erase(list.begin() + 1);
    EXPECT_EQ(list, (std::vector<std::string>{"one", "three"}));
    list.erase(list.begin());
    EXPECT_EQ(list, (std::vector<std::string>{"three"}));
}
