// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServerConsoleForm.h"
#include "app/RconQueue.h"

#include "support/FakeUdpServer.h"
#include "support/ScriptedQuestions.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

// How long a test waits at most for a condition: far beyond any machine's need.
constexpr int Patience = 60'000;

// A remote console that takes the password "secret" and echoes each command with the engine's status.
FakeUdpServer::Responder RemoteConsole() {
    return [](const std::string& request, std::size_t) {
        if (request.rfind("\xff\xff\xff\xffrcon secret ", 0) != 0)
            return std::vector<std::string>{EngineReply("rcon-bad-password.bin")};
        return std::vector<std::string>{EngineReply("rcon-status.bin")};
    };
}

class ServerConsoleFormTest : public testing::Test {
protected:
    // The console of a main window whose advanced lines are `lines_`.
    TServerConsoleForm& Console(std::vector<std::string> lines) {
        lines_ = std::move(lines);
        form_ = std::make_unique<TServerConsoleForm>([this] { return lines_; });
        form_->show();
        return *form_;
    }
    QLineEdit& CommandLine() const { return *form_->findChild<QLineEdit*>(QStringLiteral("ConsoleCommand")); }
    QString Replies() const { return form_->findChild<QTextEdit*>(QStringLiteral("ConsoleReplies"))->toPlainText(); }
    void Type(const QString& command) {
        QTest::keyClicks(&CommandLine(), command);
        QTest::keyClick(&CommandLine(), Qt::Key_Return);
    }

    ScriptedQuestions questions_;
    std::vector<std::string> lines_;
    std::unique_ptr<TServerConsoleForm> form_;
};

TEST_F(ServerConsoleFormTest, ATypedCommandIsSentItsReplyShownAndUpRecallsIt) {
    const FakeUdpServer server(RemoteConsole());
    const std::string port = std::to_string(server.Port());
    Console({"set net_port " + port, "seta rcon_password \"secret\""});
    EXPECT_EQ(form_->findChild<QLabel*>(QStringLiteral("ConsoleAddress"))->text().toStdString(),
              "Server : 127.0.0.1:" + port);
    Type(QStringLiteral("status"));
    EXPECT_TRUE(CommandLine().text().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Replies().contains(QStringLiteral("map: aggressor")); }, Patience))
        << Replies().toStdString();
    EXPECT_TRUE(Replies().startsWith(QStringLiteral("> status\nmap: aggressor\n"))) << Replies().toStdString();
    EXPECT_TRUE(Replies().contains(QStringLiteral("\n 0     0    0 Green           bot "))) << "colour codes removed";
    EXPECT_EQ(server.Received(), std::vector<std::string>{"\xff\xff\xff\xffrcon secret status"});

    QTest::keyClicks(&CommandLine(), QStringLiteral("half typed"));
    QTest::keyClick(&CommandLine(), Qt::Key_Up);
    EXPECT_EQ(CommandLine().text(), QStringLiteral("status"));
    QTest::keyClick(&CommandLine(), Qt::Key_Down);
    EXPECT_EQ(CommandLine().text(), QString());
}

TEST_F(ServerConsoleFormTest, WithoutAPasswordNothingIsSentAndTheConsoleSaysSo) {
    const FakeUdpServer server(RemoteConsole());
    Console({"set net_port " + std::to_string(server.Port())});
    Type(QStringLiteral("map_restart"));
    EXPECT_TRUE(Replies().contains(QStringLiteral("No remote-console password is set"))) << Replies().toStdString();
    EXPECT_TRUE(server.ReceivedBeforeNow().empty());
}

// Messages wrap at the window's width; a table of the server's output keeps its columns and scrolls sideways.
TEST_F(ServerConsoleFormTest, MessagesWrapAndTheServersColumnsScroll) {
    const FakeUdpServer server(RemoteConsole());
    const std::string port = std::to_string(server.Port());
    Console({"set net_port " + port});
    form_->resize(320, 300);
    auto* replies = form_->findChild<QTextEdit*>(QStringLiteral("ConsoleReplies"));
    const auto block = [replies](const QString& start) {
        for (QTextBlock each = replies->document()->begin(); each.isValid(); each = each.next())
            if (each.text().startsWith(start))
                return each;
        return QTextBlock();
    };
    Type(QStringLiteral("status"));
    QApplication::processEvents();
    const QTextBlock message = block(QStringLiteral("No remote-console password is set"));
    ASSERT_TRUE(message.isValid()) << Replies().toStdString();
    EXPECT_GT(message.layout()->lineCount(), 1);
    EXPECT_LE(replies->horizontalScrollBar()->maximum(), 0) << "a wrapped message needs no sideways scroll";

    lines_.push_back("seta rcon_password \"secret\"");
    Type(QStringLiteral("status"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Replies().contains(QStringLiteral("map: aggressor")); }, Patience));
    QApplication::processEvents();
    const QTextBlock row = block(QStringLiteral("-- ----- ----"));
    ASSERT_TRUE(row.isValid()) << Replies().toStdString();
    EXPECT_EQ(row.layout()->lineCount(), 1);
    EXPECT_GT(replies->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ServerConsoleFormTest, CommandsTypedFasterThanTheServerAnswersWaitTheirTurn) {
    // The exchange holds each command until the test lets it go.
    std::mutex mutex;
    std::condition_variable released;
    std::vector<std::string> sent;
    std::size_t allowed = 0;
    Console({"set rcon_password secret"});
    form_->Queue().SetSend([&](const std::string&, int, const std::string&, const std::string& command) {
        std::unique_lock lock(mutex);
        sent.push_back(command);
        released.wait(lock, [&] { return allowed >= sent.size(); });
        return RconAnswer{"reply to " + command + "\n", {}};
    });
    const auto sentSoFar = [&] {
        const std::lock_guard lock(mutex);
        return sent;
    };
    for (const char* command : {"one", "two", "three"})
        Type(QString::fromLatin1(command));
    EXPECT_EQ(form_->Queue().Pending(), 3u);
    for (std::size_t answered = 1; answered <= 3; ++answered) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return sentSoFar().size() >= answered; }, Patience));
        EXPECT_EQ(sentSoFar().size(), answered) << "one command in flight at a time";
        {
            const std::lock_guard lock(mutex);
            allowed = answered;
        }
        released.notify_all();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form_->Queue().Pending() == 3 - answered; }, Patience));
    }
    EXPECT_EQ(sentSoFar(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(Replies(), QStringLiteral("> one\nreply to one\n> two\nreply to two\n> three\nreply to three"));
}

TEST_F(ServerConsoleFormTest, ACommandWithoutAnswerRightAfterARefusedPasswordSaysTheServerMayBeIgnoringUs) {
    Console({"set rcon_password wrong"});
    std::size_t exchanges = 0;
    form_->Queue().SetSend([&](const std::string&, int, const std::string&, const std::string&) {
        // Refused, then silent twice: only the silence right after the refusal is explained.
        const RconAnswer answers[] = {{std::nullopt, "Bad rcon password.", true},
                                      {std::nullopt, "No answer from 127.0.0.1:28960", false},
                                      {std::nullopt, "No answer from 127.0.0.1:28960", false}};
        return answers[exchanges++];
    });
    for (const char* command : {"one", "two", "three"})
        Type(QString::fromLatin1(command));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form_->Queue().Pending() == 0; }, Patience));
    EXPECT_EQ(Replies(), QStringLiteral("> one\nBad rcon password.\n> two\nNo answer from 127.0.0.1:28960; the server "
                                        "may be ignoring this address for a while after the refused passwords\n> "
                                        "three\nNo answer from 127.0.0.1:28960"));
}

} // namespace
