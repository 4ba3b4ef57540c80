// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusWatch.h"

#include "server/StatusText.h"

#include <QThread>

TStatusWatch::TStatusWatch(QObject* parent)
    : QObject(parent), query_([](const std::string& host, int port) { return QueryServerStatus(host, port); }) {
    timer_.setInterval(std::chrono::seconds(5));
    connect(&timer_, &QTimer::timeout, this, &TStatusWatch::Ask);
    counter_.setInterval(std::chrono::seconds(1));
    connect(&counter_, &QTimer::timeout, this, &TStatusWatch::Count);
}

TStatusWatch::~TStatusWatch() {
    if (worker_)
        worker_->wait();
}

void TStatusWatch::Start(const std::string& host, int port) {
    host_ = host;
    port_ = port;
    ++generation_;
    counter_.stop();
    SetLine(QString::fromStdString(StatusWaitingLine(ServerAddress(host, port))));
    timer_.start();
    Ask();
}

void TStatusWatch::AwaitStart(const std::string& host, int port) {
    host_ = host;
    port_ = port;
    ++generation_;
    askAgain_ = false;
    timer_.stop();
    startedAt_ = std::chrono::steady_clock::now();
    counter_.start();
    Count();
}

void TStatusWatch::Count() {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - startedAt_).count();
    SetLine(QString::fromStdString(StatusStartingLine(seconds)));
}

void TStatusWatch::Answered(const QString& line) {
    ++generation_;
    askAgain_ = false;
    counter_.stop();
    SetLine(line);
    timer_.start();
}

void TStatusWatch::Stop() {
    ++generation_;
    askAgain_ = false;
    timer_.stop();
    counter_.stop();
    SetLine({});
}

void TStatusWatch::Ask() {
    // One query at a time: a slow name lookup is not doubled, and a server just moved to is asked right after.
    if (busy_) {
        askAgain_ = true;
        return;
    }
    if (worker_)
        worker_->wait(); // it has handed its answer over and is ending
    busy_ = true;
    askAgain_ = false;
    const unsigned generation = generation_;
    worker_.reset(QThread::create([this, query = query_, host = host_, port = port_, generation] {
        const QString line = QString::fromStdString(StatusLine(query(host, port)));
        // Queued to this object's thread; the destructor waits for this thread, so the object is still there.
        QMetaObject::invokeMethod(
            this, [this, line, generation] { QueryAnswered(generation, line); }, Qt::QueuedConnection);
    }));
    worker_->start();
}

void TStatusWatch::QueryAnswered(unsigned generation, const QString& line) {
    busy_ = false;
    // An answer to a watch stopped or moved since is dropped.
    if (generation == generation_)
        SetLine(line);
    if (askAgain_)
        Ask();
}

void TStatusWatch::SetLine(const QString& line) {
    if (line == line_)
        return;
    line_ = line;
    Q_EMIT LineChanged(line_);
}
