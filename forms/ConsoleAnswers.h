// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

// A question put on the terminal, without Qt: the text on the error stream, the answer a line of the input.

// Shows `text` with the `choices` offered on `err` and reads one line of `in`; nullopt when there is no input
// (`in` is null: the question says so) or it ended.
std::optional<std::string> ReadConsoleAnswer(std::ostream& err, std::istream* in, const std::string& text,
                                             const char* choices);

// The first letter of an answer, lower-cased; a blank answer gives 0.
char AnswerInitial(const std::string& answer);

// A question with OK and Cancel; true for an answer that begins with "o".
bool AskOkCancelOnConsole(std::ostream& err, std::istream* in, const std::string& text);
