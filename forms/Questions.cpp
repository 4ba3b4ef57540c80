// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Questions.h"

#include "forms/ConsoleQuestions.h"

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

QuestionsInstalled::QuestionsInstalled(Questions& questions) : previous_(Installed()) {
    Installed() = &questions;
}

QuestionsInstalled::~QuestionsInstalled() {
    Installed() = previous_;
}
