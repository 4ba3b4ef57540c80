// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Guard.h"

#include "support/ScriptedQuestions.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct Handlers : QObject {
    int calls = 0;
    void Fail() {
        ++calls;
        throw std::runtime_error("La ressource n'existe pas (default.ini)");
    }
};

TEST(GuardTest, AThrowingHandlerShowsItsMessageAndTheProgramGoesOn) {
    ScriptedQuestions questions;
    QPushButton button;
    Handlers handlers;
    ConnectGuarded(&button, &QPushButton::clicked, &handlers, &Handlers::Fail);
    button.click();
    button.click();
    EXPECT_EQ(handlers.calls, 2);
    EXPECT_EQ(questions.errors, QStringList({QStringLiteral("La ressource n'existe pas (default.ini)"),
                                             QStringLiteral("La ressource n'existe pas (default.ini)")}));
}

TEST(GuardTest, AnythingThrownIsCaught) {
    ScriptedQuestions questions;
    RunGuarded([] { throw 42; });
    EXPECT_EQ(questions.errors, QStringList{QStringLiteral("Unknown error")});
}

} // namespace
