#include "forms/DialogQuestions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// What a message box showed: its icon, caption, text and how the text was read.
struct Shown {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text;
    Qt::TextFormat format = Qt::AutoText;
};

// Shows a message through `show`, reads the box that opens and closes it with OK.
Shown Show(const std::function<void(DialogQuestions&)>& show) {
    Shown shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box opened";
            QApplication::closeAllWindows();
            return;
        }
        shown = {box->icon(), box->windowTitle(), box->text(), box->textFormat()};
        box->button(QMessageBox::Ok)->click();
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
    const Shown error = Show([&](DialogQuestions& questions) { questions.ShowError(text); });
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.format, Qt::PlainText);
}

} // namespace
