// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ServerTarget.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTextEdit;
class TRconQueue;

// The server console of the Utils menu: a command line with its history (Up and Down), the replies of the server's
// remote console below it with the colour codes removed, and the address it talks to. It asks the server that the
// main window's advanced lines make (GameServerTarget), with their password (RconPassword), and sends nothing
// while no password is set.
class TServerConsoleForm : public QDialog {
    Q_OBJECT
public:
    // `advancedLines` reads the main window's advanced lines at the moment of each command.
    TServerConsoleForm(std::function<std::vector<std::string>()> advancedLines, QWidget* parent = nullptr);
    ~TServerConsoleForm() override;

    // The queue of commands, so that tests may replace its exchange.
    TRconQueue& Queue() const { return *queue_; }

    // Sends the command line's text (the Return key).
    void CommandReturn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    ServerTarget Target() const;
    void ShowAddress();
    // Up (-1) or Down (+1) through the commands sent.
    void Recall(int step);
    void Answered(const QString& command, const QStringList& lines, const QString& error);
    // Appends `line`, wrapped at the window's width, or scrolled sideways when it is a `column` of the server's
    // output, such as a line of a table, which reads better whole.
    void AppendLine(const QString& line, bool column);

    std::function<std::vector<std::string>()> advancedLines_;
    QLabel* address_;
    QLineEdit* command_;
    QTextEdit* replies_;
    TRconQueue* queue_;
    QStringList history_;
    qsizetype historyIndex_ = 0; // history_.size() while the line is a new command
};
