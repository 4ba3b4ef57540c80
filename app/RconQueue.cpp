// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RconQueue.h"

#include "app/RconCommand.h"
#include "server/StatusReply.h"

#include <QThread>

TRconQueue::TRconQueue(QObject* parent)
    : QObject(parent), send_([](const std::string& host, int port, const std::string& password,
                                const std::string& command) { return SendRcon(host, port, password, command); }) {}

TRconQueue::~TRconQueue() {
    if (worker_)
        worker_->wait();
}

void TRconQueue::Enqueue(const std::string& host, int port, const std::string& password, const std::string& command) {
    waiting_.push_back({host, port, password, command});
    if (!busy_)
        SendNext();
}

void TRconQueue::SendNext() {
    if (worker_)
        worker_->wait(); // it has handed its answer over and is ending
    if (waiting_.empty())
        return;
    busy_ = true;
    Request request = std::move(waiting_.front());
    waiting_.pop_front();
    worker_.reset(QThread::create([this, send = send_, request = std::move(request)] {
        const RconAnswer answer = send(request.host, request.port, request.password, request.command);
        const QString command = QString::fromStdString(request.command);
        // Queued to this object's thread; the destructor waits for this thread, so the object is still there.
        QMetaObject::invokeMethod(
            this, [this, command, answer] { Done(command, answer); }, Qt::QueuedConnection);
    }));
    worker_->start();
}

void TRconQueue::Done(const QString& command, const RconAnswer& answer) {
    busy_ = false;
    QStringList lines;
    if (answer.reply)
        for (const std::string& line : RconReplyLines(*answer.reply, false))
            lines << QString::fromStdString(line);
    std::string error = CleanGameText(answer.error);
    // An engine stops answering an address for a while once it has refused too many passwords from it.
    if (!answer.reply && !answer.refused && lastRefused_)
        error += "; the server may be ignoring this address for a while after the refused passwords";
    lastRefused_ = answer.refused;
    Q_EMIT Answered(command, lines, QString::fromStdString(error));
    SendNext();
}
