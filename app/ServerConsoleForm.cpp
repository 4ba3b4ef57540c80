// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServerConsoleForm.h"

#include "app/RconCommand.h"
#include "app/RconQueue.h"
#include "forms/Guard.h"
#include "server/StatusQuery.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

TServerConsoleForm::TServerConsoleForm(std::function<std::vector<std::string>()> advancedLines, QWidget* parent)
    : QDialog(parent), advancedLines_(std::move(advancedLines)), address_(new QLabel(this)),
      command_(new QLineEdit(this)), replies_(new QTextEdit(this)), queue_(new TRconQueue(this)) {
    setObjectName(QStringLiteral("ServerConsoleForm"));
    setWindowTitle(QStringLiteral("Server console"));
    address_->setObjectName(QStringLiteral("ConsoleAddress"));
    command_->setObjectName(QStringLiteral("ConsoleCommand"));
    replies_->setObjectName(QStringLiteral("ConsoleReplies"));
    replies_->setReadOnly(true);
    replies_->setLineWrapMode(QTextEdit::WidgetWidth);
    replies_->setAcceptRichText(false);
    replies_->setFont(QFont(QStringLiteral("monospace")));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(address_);
    layout->addWidget(command_);
    layout->addWidget(replies_, 1);
    resize(640, 420);
    command_->installEventFilter(this);
    ConnectGuarded(command_, &QLineEdit::returnPressed, this, &TServerConsoleForm::CommandReturn);
    connect(queue_, &TRconQueue::Answered, this, &TServerConsoleForm::Answered);
    ShowAddress();
}

TServerConsoleForm::~TServerConsoleForm() = default;

ServerTarget TServerConsoleForm::Target() const {
    return GameServerTarget(advancedLines_());
}

void TServerConsoleForm::ShowAddress() {
    const ServerTarget target = Target();
    address_->setText(QStringLiteral("Server : ") + QString::fromStdString(ServerAddress(target.host, target.port)));
}

void TServerConsoleForm::showEvent(QShowEvent* event) {
    ShowAddress();
    QDialog::showEvent(event);
}

void TServerConsoleForm::CommandReturn() {
    const QString command = command_->text().trimmed();
    if (command.isEmpty())
        return;
    ShowAddress();
    const auto password = RconPassword(advancedLines_());
    if (!password) {
        AppendLine(QStringLiteral("No remote-console password is set: add 'set rcon_password ...' to the advanced "
                                  "lines. Nothing was sent."),
                   false);
        return;
    }
    history_.removeAll(command);
    history_ << command;
    historyIndex_ = history_.size();
    command_->clear();
    const ServerTarget target = Target();
    queue_->Enqueue(target.host, target.port, *password, command.toStdString());
}

void TServerConsoleForm::Recall(int step) {
    const qsizetype index = historyIndex_ + step;
    if (index < 0 || index > history_.size())
        return;
    historyIndex_ = index;
    command_->setText(index < history_.size() ? history_[index] : QString());
}

bool TServerConsoleForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == command_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Recall(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TServerConsoleForm::Answered(const QString& command, const QStringList& lines, const QString& error) {
    AppendLine(QStringLiteral("> ") + command, false);
    if (!error.isEmpty())
        AppendLine(error, false);
    for (const QString& line : lines)
        AppendLine(line, true);
}

void TServerConsoleForm::AppendLine(const QString& line, bool column) {
    QTextBlockFormat format;
    format.setNonBreakableLines(column);
    QTextCursor end(replies_->document());
    end.movePosition(QTextCursor::End);
    // The document starts with one empty block, which the first line takes.
    if (replies_->document()->isEmpty())
        end.setBlockFormat(format);
    else
        end.insertBlock(format);
    end.insertText(line); // as text: the server's replies are never markup
    replies_->verticalScrollBar()->setValue(replies_->verticalScrollBar()->maximum());
}
