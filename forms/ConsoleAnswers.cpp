// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ConsoleAnswers.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

std::optional<std::string> ReadConsoleAnswer(std::ostream& err, std::istream* in, const std::string& text,
                                             const char* choices) {
    err << text;
    if (in == nullptr) {
        err << " (no console answers)" << std::endl;
        return std::nullopt;
    }
    err << ' ' << choices << ' ' << std::flush;
    std::string line;
    if (!std::getline(*in, line))
        return std::nullopt;
    return line;
}

char AnswerInitial(const std::string& answer) {
    const auto letter =
        std::find_if(answer.begin(), answer.end(), [](unsigned char c) { return std::isspace(c) == 0; });
    return letter == answer.end() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(*letter)));
}

bool AskOkCancelOnConsole(std::ostream& err, std::istream* in, const std::string& text) {
    const auto answer = ReadConsoleAnswer(err, in, text, "[o(k)/C(ancel)]");
    return answer && AnswerInitial(*answer) == 'o';
}
