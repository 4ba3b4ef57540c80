#include "forms/ConsoleQuestions.h"

#include <ostream>

void ConsoleQuestions::ShowMessage(const QString& text) {
    err_ << text.toStdString() << std::endl;
}

void ConsoleQuestions::ShowError(const QString& text) {
    err_ << "Error: " << text.toStdString() << std::endl;
}

bool ConsoleQuestions::AskYesNo(const QString& text) {
    err_ << text.toStdString() << " (answered No: no console answers)" << std::endl;
    return false;
}

std::optional<QString> ConsoleQuestions::AskText(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

std::optional<QString> ConsoleQuestions::PickFolder(const QString&) {
    return std::nullopt;
}

std::optional<QString> ConsoleQuestions::PickOpenFile(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

std::optional<QString> ConsoleQuestions::PickSaveFile(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

std::optional<RgbColor> ConsoleQuestions::PickColor(RgbColor) {
    return std::nullopt;
}
