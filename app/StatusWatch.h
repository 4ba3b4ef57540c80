// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/StatusQuery.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QThread;

// Asks a game server for its status at once and then every few seconds, while the thread it lives on goes on:
// each query runs on a worker thread, and its answer comes back as the line the main window shows.
class TStatusWatch : public QObject {
    Q_OBJECT
public:
    // The query; it blocks, so it runs on the worker thread.
    using Query = std::function<StatusAnswer(const std::string& host, int port)>;

    explicit TStatusWatch(QObject* parent = nullptr);
    // Waits for a query still on its way (at most its timeout).
    ~TStatusWatch() override;

    // Starts asking `host` on `port` (a watch already running moves there); the line says it is waiting until
    // the first answer comes.
    void Start(const std::string& host, int port);
    // Shows that the server at `host` on `port` is starting, with the seconds since counted in the line, and asks
    // nothing itself: its start check asks. Answered or Start end the wait.
    void AwaitStart(const std::string& host, int port);
    // Shows `line`, the start check's answer, and asks again every few seconds from now on.
    void Answered(const QString& line);
    // Stops asking and empties the line; an answer still on its way is dropped.
    void Stop();
    bool Active() const { return timer_.isActive() || counter_.isActive(); }
    // The line for the main window; empty while stopped.
    const QString& Line() const { return line_; }

    // Replaces the query (the real one waits one second for the server).
    void SetQuery(Query query) { query_ = std::move(query); }
    // Replaces the time between two queries (five seconds).
    void SetInterval(std::chrono::milliseconds interval) { timer_.setInterval(interval); }

Q_SIGNALS:
    void LineChanged(const QString& line);

private:
    void Ask();
    void QueryAnswered(unsigned generation, const QString& line);
    void SetLine(const QString& line);
    // Shows the seconds since the start that is awaited.
    void Count();

    Query query_;
    QTimer timer_;
    // Counts the seconds of a start that is awaited, from `startedAt`.
    QTimer counter_;
    std::chrono::steady_clock::time_point startedAt_;
    std::unique_ptr<QThread> worker_;
    // A query is on its way (its answer not yet handled), and whether another must follow it at once.
    bool busy_ = false;
    bool askAgain_ = false;
    std::string host_;
    int port_ = 0;
    // Counts the starts and stops, so that an answer to an earlier watch is recognised and dropped.
    unsigned generation_ = 0;
    QString line_;
};
