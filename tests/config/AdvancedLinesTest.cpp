// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedLines.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Lines = std::vector<std::string>;

struct OperationCase {
    const char* what;
    std::function<bool(AdvancedLines&)> operation;
    AdvancedLines before;
    AdvancedLines after;
};

const auto Insert = [](AdvancedLines& list) { return InsertLine(list, "new"); };

TEST(AdvancedLinesTest, EachOperationKeepsItsSelectionRule) {
    const Lines abc = {"a", "b", "c"};
    const std::vector<OperationCase> cases = {
        {"insert below the middle line", Insert, {abc, 1}, {{"a", "b", "new", "c"}, 1}},
        {"insert below the last line", Insert, {abc, 2}, {{"a", "b", "c", "new"}, 2}},
        {"insert on an empty list", Insert, {{}, -1}, {{"new"}, -1}},
        {"insert without a selection goes at the end", Insert, {abc, -1}, {{"a", "b", "c", "new"}, -1}},
        {"delete selects the line that followed", DeleteSelected, {{"a", "b", "c", "d"}, 1}, {{"a", "c", "d"}, 1}},
        {"delete the last line selects the new last", DeleteSelected, {abc, 2}, {{"a", "b"}, 1}},
        {"delete the only line leaves no selection", DeleteSelected, {{"a"}, 0}, {{}, -1}},
        {"delete without a selection", DeleteSelected, {abc, -1}, {abc, -1}},
        {"up moves the line and its selection", MoveSelectedUp, {abc, 2}, {{"a", "c", "b"}, 1}},
        {"up on the first line", MoveSelectedUp, {abc, 0}, {abc, 0}},
        {"down moves the line and its selection", MoveSelectedDown, {abc, 0}, {{"b", "a", "c"}, 1}},
        {"down on the last line", MoveSelectedDown, {abc, 2}, {abc, 2}},
        {"a selection past the end counts as none", MoveSelectedDown, {abc, 3}, {abc, 3}},
    };
    for (const auto& c : cases) {
        AdvancedLines list = c.before;
        EXPECT_EQ(c.operation(list), c.before.lines != c.after.lines) << c.what;
        EXPECT_EQ(list.lines, c.after.lines) << c.what;
        EXPECT_EQ(list.selected, c.after.selected) << c.what;
    }
}

TEST(AdvancedLinesTest, CommentIndexKeepsTheLineNumbersBesideTheTexts) {
    EXPECT_EQ(BuildCommentIndex({"// A", "seta x \"1\"", "// B"}), (CommentIndex{{"A", 0}, {"B", 2}}));
    EXPECT_EQ(BuildCommentIndex({"//", "/ / no", " // no", "  //x", "//  spaced  ", "", "exec a//b"}),
              (CommentIndex{{"", 0}, {"spaced", 4}}));
}

struct JumpCase {
    const char* what;
    Lines lines;
    std::vector<std::optional<int>> linesByPosition; // positions -1 .. size
};

TEST(AdvancedLinesTest, ArrowPositionsLeadToTheFirstCommentOfTheirText) {
    const std::vector<JumpCase> cases = {
        {"distinct comments", {"// A", "seta x \"1\"", "// B"}, {std::nullopt, 0, 2, std::nullopt}},
        {"equal texts lead to the first",
         {"// Same", "x", "//same", "// Other"},
         {std::nullopt, 0, 0, 3, std::nullopt}},
        {"texts holding =", {"x", "// a=b", "// c = 5", "// =7"}, {std::nullopt, 1, 2, 3, std::nullopt}},
        {"no comment", {"a", "b"}, {std::nullopt, std::nullopt}},
    };
    for (const auto& c : cases) {
        const CommentIndex index = BuildCommentIndex(c.lines);
        ASSERT_EQ(c.linesByPosition.size(), index.size() + 2) << c.what;
        for (int position = -1; position <= static_cast<int>(index.size()); ++position)
            EXPECT_EQ(CommentLineAt(index, position), c.linesByPosition[static_cast<std::size_t>(position + 1)])
                << c.what << " at " << position;
    }
}

TEST(AdvancedLinesTest, LinesThatADoubleClickCannotEdit) {
    for (const char* line : {" seta x \"1\"", " // indented"})
        EXPECT_FALSE(EditFor(line).has_value()) << line;
}

struct EditCase {
    std::string line;
    LineEdit::Kind kind;
    std::string caption, prompt, offered;
    std::string answer;
    std::optional<std::string> result;
};

const std::string EmptyLinePrompt = "Type here a line, such as: set sv_maxclients \"16\"";

TEST(AdvancedLinesTest, ADoubleClickEditsALineByItsKind) {
    using Kind = LineEdit::Kind;
    const std::vector<EditCase> cases = {
        {"// Old", Kind::Comment, "Comment", "Type here a new comment", "Old", "New", "// New"},
        {"//tight", Kind::Comment, "Comment", "Type here a new comment", "tight", "tight", std::nullopt},
        {"//tight", Kind::Comment, "Comment", "Type here a new comment", "tight", "loose", "// loose"},
        {"exec old.cfg", Kind::Exec, "New file", "", "old.cfg", "old.cfg", std::nullopt},
        {"Exec old.cfg", Kind::Exec, "New file", "", "old.cfg", "new.cfg", "Exec new.cfg"},
        {"EXEC a.cfg", Kind::Exec, "New file", "", "a.cfg", "b.cfg", "EXEC b.cfg"},
        {"seta sv_hostname \"Old\"", Kind::Setting, "New value", "sv_hostname", "Old", "New",
         "seta sv_hostname \"New\""},
        {"set g_x \"a\" // note", Kind::Setting, "New value", "g_x", "a", "b", "set g_x \"b\""},
        {"set g_x 5 // note", Kind::Setting, "New value", "g_x", "5 // note", "6", "set g_x \"6\""},
        {"W", Kind::Setting, "New value", "W", "W", "v", "W W \"v\""},
        {"anything goes here", Kind::Setting, "New value", "goes", "here", "there", "anything goes \"there\""},
        // An empty line is typed whole: the port and the password are added this way to a list made of empty lines.
        {"", Kind::Empty, "New line", EmptyLinePrompt, "", "set net_port \"28961\"", "set net_port \"28961\""},
        {"", Kind::Empty, "New line", EmptyLinePrompt, "", "// a comment", "// a comment"},
        {"   ", Kind::Empty, "New line", EmptyLinePrompt, "", "exec a.cfg", "exec a.cfg"},
        {"", Kind::Empty, "New line", EmptyLinePrompt, "", "", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto edit = EditFor(c.line);
        ASSERT_TRUE(edit.has_value()) << c.line;
        EXPECT_EQ(edit->kind, c.kind) << c.line;
        EXPECT_EQ(edit->caption, c.caption) << c.line;
        EXPECT_EQ(edit->prompt, c.prompt) << c.line;
        EXPECT_EQ(edit->offered, c.offered) << c.line;
        EXPECT_EQ(EditedLine(*edit, c.answer), c.result) << c.line;
    }
}

} // namespace
