// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ConsoleQuestions.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>

namespace {

// The first letter of an answer, lower-cased; blank answers give 0.
char Initial(const std::string& answer) {
    const auto letter =
        std::find_if(answer.begin(), answer.end(), [](unsigned char c) { return std::isspace(c) == 0; });
    return letter == answer.end() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(*letter)));
}

} // namespace

std::optional<std::string> ConsoleQuestions::ReadAnswer(const QString& text, const char* choices) {
    err_ << text.toStdString();
    if (in_ == nullptr) {
        err_ << " (no console answers)" << std::endl;
        return std::nullopt;
    }
    err_ << ' ' << choices << ' ' << std::flush;
    std::string line;
    if (!std::getline(*in_, line))
        return std::nullopt;
    return line;
}

void ConsoleQuestions::ShowMessage(const QString& text) {
    err_ << text.toStdString() << std::endl;
}

void ConsoleQuestions::ShowWarning(const QString& text) {
    err_ << "Warning: " << text.toStdString() << std::endl;
}

void ConsoleQuestions::ShowError(const QString& text) {
    err_ << "Error: " << text.toStdString() << std::endl;
}

bool ConsoleQuestions::AskYesNo(const QString& text) {
    const auto answer = ReadAnswer(text, "[y/N]");
    return answer && Initial(*answer) == 'y';
}

bool ConsoleQuestions::AskOkCancel(const QString& text) {
    const auto answer = ReadAnswer(text, "[o(k)/C(ancel)]");
    return answer && Initial(*answer) == 'o';
}

std::optional<bool> ConsoleQuestions::AskYesNoCancel(const QString& text, QuestionTone, bool defaultNo) {
    const auto answer = ReadAnswer(text, defaultNo ? "[y/N/c]" : "[Y/n/c]");
    if (!answer)
        return std::nullopt;
    switch (Initial(*answer)) {
    case 'y':
        return true;
    case 'n':
        return false;
    case 'c':
        return std::nullopt;
    default:
        return !defaultNo;
    }
}

std::optional<QString> ConsoleQuestions::AskText(const QString&, const QString& prompt, const QString&) {
    const auto answer = ReadAnswer(prompt, ":");
    return answer ? std::optional<QString>(QString::fromStdString(*answer)) : std::nullopt;
}

std::optional<QString> ConsoleQuestions::PickFolder(const QString&, const QString&) {
    return std::nullopt;
}

std::optional<QString> ConsoleQuestions::PickOpenFile(const QString&, const QString&, const QString&, const QString&) {
    return std::nullopt;
}

std::optional<QString> ConsoleQuestions::PickSaveFile(const QString&, const QString&, const QString&, const QString&) {
    return std::nullopt;
}

std::optional<RgbColor> ConsoleQuestions::PickColor(RgbColor) {
    return std::nullopt;
}
