// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedLines.h"

#include "platform/TextHelpers.h"

#include <utility>

bool InsertLine(AdvancedLines& list, std::string text) {
    const auto below = list.HasSelection() ? list.lines.begin() + list.selected + 1 : list.lines.end();
    list.lines.insert(below, std::move(text));
    return true;
}

bool DeleteSelected(AdvancedLines& list) {
    if (!list.HasSelection())
        return false;
    list.lines.erase(list.lines.begin() + list.selected);
    // Stay at the same position, which now holds the line that followed; step back when the last line went.
    list.selected = std::min(list.selected, static_cast<int>(list.lines.size()) - 1);
    return true;
}

std::string DeleteLineQuestion(const std::string& line) {
    return "Delete line?\n\n" + (line.empty() ? std::string("(an empty line)") : line);
}

bool MoveSelectedUp(AdvancedLines& list) {
    if (!list.HasSelection() || list.selected == 0)
        return false;
    std::swap(list.lines[list.selected], list.lines[list.selected - 1]);
    --list.selected;
    return true;
}

bool MoveSelectedDown(AdvancedLines& list) {
    if (!list.HasSelection() || list.selected + 1 == static_cast<int>(list.lines.size()))
        return false;
    std::swap(list.lines[list.selected], list.lines[list.selected + 1]);
    ++list.selected;
    return true;
}

CommentIndex BuildCommentIndex(const std::vector<std::string>& lines) {
    CommentIndex index;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (Trim(std::string_view(line).substr(0, 2)) == "//")
            index.push_back(
                {Trim(std::string_view(line).substr(std::min<std::size_t>(2, line.size()))), static_cast<int>(i)});
    }
    return index;
}

std::optional<int> CommentLineAt(const CommentIndex& index, int position) {
    if (position < 0 || position >= static_cast<int>(index.size()))
        return std::nullopt;
    // Two comments with the same text both lead to the first of them.
    for (const auto& entry : index)
        if (SameText(entry.text, index[static_cast<std::size_t>(position)].text))
            return entry.line;
    return std::nullopt;
}

std::optional<LineEdit> EditFor(const std::string& line) {
    if (line.find_first_not_of(' ') == std::string::npos)
        return LineEdit{
            LineEdit::Kind::Empty, {}, "New line", "Type here a line, such as: set sv_maxclients \"16\"", ""};
    const CfgLine parsed = ParseCfgLine(line);
    if (parsed.Command.empty())
        return std::nullopt;
    if (parsed.Command.starts_with("//"))
        return LineEdit{LineEdit::Kind::Comment, parsed, "Comment", "Type here a new comment", parsed.Comment};
    if (SameText(parsed.Command, "EXEC"))
        return LineEdit{LineEdit::Kind::Exec, parsed, "New file", "", parsed.Value};
    return LineEdit{LineEdit::Kind::Setting, parsed, "New value", parsed.Name, parsed.Value};
}

std::optional<std::string> EditedLine(const LineEdit& edit, const std::string& answer) {
    if (answer == edit.offered)
        return std::nullopt;
    switch (edit.kind) {
    case LineEdit::Kind::Comment:
        return "// " + answer;
    case LineEdit::Kind::Exec:
        return edit.parsed.Command + " " + answer;
    case LineEdit::Kind::Empty:
        return answer;
    case LineEdit::Kind::Setting:
        break;
    }
    // Whatever followed the old value, a trailing comment included, gives way to the new quoted value.
    return edit.parsed.Command + " " + edit.parsed.Name + " \"" + answer + "\"";
}
