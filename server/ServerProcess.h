// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

class QSocketNotifier;

// The server of the window's game folder: one it started, or one found running there (adopted); stopped and
// started again on request. It checks in the run log that a started server answers, without holding up the event
// loop, follows it through its session when its start script ends, says when it ends, and signals all of it, so
// that a window can show its state.
class TServerProcess : public QObject {
    Q_OBJECT
public:
    // `log` appends a run log line.
    TServerProcess(LogSink log, QObject* parent);
    // Leaves a running server alone; waits for a start check on its way to give up.
    ~TServerProcess() override;

    // Starts the server of `launch` (output into "server.log"); the shell's result code, as a Run's launcher
    // returns it. The start check runs beside the event loop; its line comes when the answer comes.
    int Start(const ServerLaunch& launch);
    // Takes on the server of `instance` recorded in its "server.pid" of `modPath` when it runs and is not the one
    // held already (a held server of another folder or instance is left running); true when one is held afterwards.
    bool Adopt(const std::string& modPath, const Instance& instance);
    // True while the server held runs.
    bool Running() const { return server_.has_value(); }
    // True once a server was started or adopted, which Restart starts again.
    bool CanRestart() const { return lastLaunch_.has_value(); }
    // Where the running server answers status queries; nullopt when none runs or it answers none.
    std::optional<StatusAddress> Address() const;
    // True while the start check of the server started last is on its way.
    bool Checking() const { return checking_; }
    // Ends the running server with its whole session: SIGTERM, then SIGKILL to what still runs after the
    // grace period; logs how it ended once every process is gone. The window keeps drawing meanwhile but takes no
    // input.
    void Stop();
    // Stops the server when it runs, then starts the last launch again with the files as they are now.
    void Restart();
    // Forgets the running server without stopping it; its "server.pid" stays for a later stop.
    void LeaveRunning();

    // Replaces the start check's length and the stop's grace period (tests keep them short).
    void SetPeriods(std::chrono::milliseconds watch, std::chrono::milliseconds grace);

Q_SIGNALS:
    // A server was started or adopted and runs as process `processId`.
    void Started(qint64 processId);
    // The server ended, by itself or stopped; `exitCode` is 128 + the signal's number when a signal ended it, -1
    // when it is not known (an adopted server).
    void Ended(int exitCode);
    // The start check got the server's first status answer; `statusLine` shows it as the window's status line does.
    void Answering(const QString& statusLine);
    // A started server ended during its start check (`ended`) or did not answer within it: `message` gives the
    // reason, then the server's last output lines.
    void StartFailed(const QString& message, bool ended);

private:
    // Holds `server` and watches for its end.
    void Hold(StartedServer server);
    // Watches the process held for its end, and stops watching it.
    void WatchEnd();
    void UnwatchEnd();
    void CheckEnded();
    // Runs the start check of the held server on a thread of its own.
    void BeginCheck();
    void CheckDone(unsigned generation, const FirstAnswer& answer);
    // Stops a start check on its way and waits for its thread.
    void EndCheck();
    // Logs the lines of a failed start and signals it.
    void ReportFailedStart(const std::string& failure, bool ended);
    // Removes "server.pid" of the ended server, lets it go and signals its end.
    void Forget(int exitCode);
    // Lets the server go without a word.
    void Release();

    LogSink log_;
    std::optional<StartedServer> server_;
    std::optional<ServerLaunch> lastLaunch_;
    QSocketNotifier* ending_ = nullptr;
    std::chrono::milliseconds watch_ = DefaultServerWatch;
    std::chrono::milliseconds grace_ = ServerStopGrace;
    // The start check: its thread, whether it is on its way, a flag that makes it give up, and a count of the
    // checks so that the answer of an earlier one is dropped.
    std::thread check_;
    bool checking_ = false;
    std::shared_ptr<std::atomic<bool>> giveUp_;
    unsigned generation_ = 0;
};
