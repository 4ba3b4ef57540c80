// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/Rcon.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <string>

class QThread;

// Commands for a server's remote console, sent one at a time while the thread it lives on goes on: servers drop
// commands that come too fast, so the next command goes only once the reply to the one before has gone quiet.
// Commands given meanwhile wait their turn, none is dropped. Each exchange runs on a worker thread.
class TRconQueue : public QObject {
    Q_OBJECT
public:
    // The exchange; it blocks, so it runs on the worker thread.
    using Send = std::function<RconAnswer(const std::string& host, int port, const std::string& password,
                                          const std::string& command)>;

    explicit TRconQueue(QObject* parent = nullptr);
    // Waits for the exchange on its way (at most a few seconds); the commands still waiting are dropped.
    ~TRconQueue() override;

    // Sends `command` to the server at `host` and `port` with `password` once the commands before it are answered.
    void Enqueue(const std::string& host, int port, const std::string& password, const std::string& command);
    // The commands given and not yet answered, the one on its way included.
    std::size_t Pending() const { return waiting_.size() + (busy_ ? 1 : 0); }

    // Replaces the exchange (the real one asks the server over UDP).
    void SetSend(Send send) { send_ = std::move(send); }

Q_SIGNALS:
    // The reply to `command`, line by line with the colour codes removed, or why there is none (`error`; a command
    // that gets no answer right after a refused one is told that the server may be ignoring this address).
    void Answered(const QString& command, const QStringList& lines, const QString& error);

private:
    struct Request {
        std::string host;
        int port = 0;
        std::string password;
        std::string command;
    };

    void SendNext();
    void Done(const QString& command, const RconAnswer& answer);

    Send send_;
    std::deque<Request> waiting_;
    std::unique_ptr<QThread> worker_;
    bool busy_ = false;
    bool lastRefused_ = false; // the command before was refused
};
