// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ConsoleQuestions.h"

#include "forms/ConsoleAnswers.h"

#include <ostream>
#include <string>

std::optional<std::string> ConsoleQuestions::ReadAnswer(const QString& text, const char* choices) {
    return ReadConsoleAnswer(err_, in_, text.toStdString(), choices);
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
    return answer && AnswerInitial(*answer) == 'y';
}

bool ConsoleQuestions::AskOkCancel(const QString& text) {
    return AskOkCancelOnConsole(err_, in_, text.toStdString());
}

std::optional<bool> ConsoleQuestions::AskYesNoCancel(const QString& text, QuestionTone, bool defaultNo) {
    const auto answer = ReadAnswer(text, defaultNo ? "[y/N/c]" : "[Y/n/c]");
    if (!answer)
        return std::nullopt;
    switch (AnswerInitial(*answer)) {
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
