#include "app/Questions.h"

#include "app/ConsoleQuestions.h"

#include <iostream>

namespace {

Questions*& Installed() {
    static Questions* questions = nullptr;
    return questions;
}

} // namespace

Questions& Ask() {
    static ConsoleQuestions console(std::cerr);
    return Installed() ? *Installed() : console;
}

void SetQuestions(Questions* questions) {
    Installed() = questions;
}
