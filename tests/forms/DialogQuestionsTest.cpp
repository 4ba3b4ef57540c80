// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/DialogQuestions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// What a message box showed: its icon, caption, text, how the text was read, and its width.
struct Shown {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text;
    Qt::TextFormat format = Qt::AutoText;
    int width = 0;
};

// Shows a message through `show`, reads the box that opens and closes it with its first button.
Shown Show(const std::function<void(DialogQuestions&)>& show) {
    Shown shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box opened";
            QApplication::closeAllWindows();
            return;
        }
        shown = {box->icon(), box->windowTitle(), box->text(), box->textFormat(), box->width()};
        box->buttons().front()->click();
    });
    DialogQuestions questions;
    show(questions);
    return shown;
}

TEST(DialogQuestionsTest, MessagesAndErrorsShowTheirTextAsItIsNeverAsMarkup) {
    const QString text = QStringLiteral("Host name : <b>Brisela</b> & <i>co</i>");
    const Shown message = Show([&](DialogQuestions& questions) { questions.ShowMessage(text); });
    EXPECT_EQ(message.icon, QMessageBox::Information);
    EXPECT_EQ(message.caption, ApplicationTitle);
    EXPECT_EQ(message.text, text);
    EXPECT_EQ(message.format, Qt::PlainText);
    const Shown warning = Show([&](DialogQuestions& questions) { questions.ShowWarning(text); });
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.caption, ApplicationTitle);
    EXPECT_EQ(warning.format, Qt::PlainText);
    const Shown error = Show([&](DialogQuestions& questions) { questions.ShowError(text); });
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.format, Qt::PlainText);
}

TEST(QuestionsInstalledTest, PutsBackTheQuestionsBeforeItWhenAnExceptionPasses) {
    DialogQuestions outer;
    SetQuestions(&outer);
    DialogQuestions inner;
    try {
        const QuestionsInstalled installed(inner);
        EXPECT_EQ(&Ask(), &inner);
        throw std::runtime_error("a failed command");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(&Ask(), &outer);
    SetQuestions(nullptr);
}

// Under a window manager (Openbox, DejaVu Sans 8 pt) a box 190 pixels wide showed its caption cut to
// "Brise...endry", one 285 pixels wide showed it whole.
constexpr int WholeCaptionWidth = 260;

TEST(DialogQuestionsTest, QuestionsShowTheQuestionIconAndTheirWholeCaption) {
    const QString text = QStringLiteral("Delete line?\n\n// a");
    const Shown yesNo = Show([&](DialogQuestions& questions) { questions.AskYesNo(text); });
    EXPECT_EQ(yesNo.icon, QMessageBox::Question);
    EXPECT_EQ(yesNo.caption, ApplicationTitle);
    EXPECT_EQ(yesNo.text, text);
    EXPECT_GE(yesNo.width, WholeCaptionWidth);
    const Shown yesNoCancel = Show([&](DialogQuestions& questions) {
        questions.AskYesNoCancel(QStringLiteral("Leave it?"), QuestionTone::Question, false);
    });
    EXPECT_EQ(yesNoCancel.icon, QMessageBox::Question);
    EXPECT_GE(yesNoCancel.width, WholeCaptionWidth);
    const Shown message = Show([&](DialogQuestions& questions) { questions.ShowMessage(QStringLiteral("No log")); });
    EXPECT_GE(message.width, WholeCaptionWidth);
}

} // namespace
