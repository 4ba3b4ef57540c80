// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/CfgLine.h"

#include <optional>
#include <string>
#include <vector>

// The advanced list as data: its lines and the selected one. The insertion adds a line at the end when no line is
// selected; every other editing operation needs a selected line and does nothing without one. Each returns whether
// it changed something.
struct AdvancedLines {
    std::vector<std::string> lines;
    int selected = -1; // -1 when no line is selected

    bool HasSelection() const { return selected >= 0 && selected < static_cast<int>(lines.size()); }
};

// Inserts `text` directly below the selected line, or at the end when none is selected; the selection stays as it
// was.
bool InsertLine(AdvancedLines& list, std::string text);
// Deletes the selected line; the selection goes to the line that followed it, else to the new last line, else none.
bool DeleteSelected(AdvancedLines& list);
// The question asked before `line` is deleted: "Delete line?" and the line, so that the user sees which.
std::string DeleteLineQuestion(const std::string& line);
// Swaps the selected line with the one above; the selection moves with it. Nothing happens on the first line.
bool MoveSelectedUp(AdvancedLines& list);
// Swaps the selected line with the one below; the selection moves with it. Nothing happens on the last line.
bool MoveSelectedDown(AdvancedLines& list);

// One comment line of the list: its text (after "//", trimmed) and its position in the list.
struct CommentEntry {
    std::string text;
    int line = 0;
    friend bool operator==(const CommentEntry&, const CommentEntry&) = default;
};
using CommentIndex = std::vector<CommentEntry>;

// The comment lines of `lines` in list order.
CommentIndex BuildCommentIndex(const std::vector<std::string>& lines);
// The list line the arrows lead to at `position`: the first comment whose text equals (letter case ignored) the
// text of the entry at `position`; nullopt when the position holds no entry.
std::optional<int> CommentLineAt(const CommentIndex& index, int position);

// The input box that edits a line by its kind, and what it needs to rebuild the line.
struct LineEdit {
    enum class Kind { Comment, Exec, Setting, Empty };
    Kind kind;
    CfgLine parsed;
    std::string caption;
    std::string prompt;
    std::string offered; // the input box's default text
};

// How a double click edits `line`; an empty line (or one of blanks only) is typed anew; nullopt for a line that is
// not editable (one starting with a blank).
std::optional<LineEdit> EditFor(const std::string& line);
// The line that replaces the edited one after the user answered `answer`; nullopt when the answer is the text
// offered, so that Cancel (which returns the offered text) changes nothing.
std::optional<std::string> EditedLine(const LineEdit& edit, const std::string& answer);
