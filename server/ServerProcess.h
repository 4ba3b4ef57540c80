#pragma once

#include "config/LogSink.h"
#include "server/ServerStart.h"
#include "server/ServerStop.h"

#include <QElapsedTimer>
#include <QObject>

#include <chrono>
#include <optional>

class QSocketNotifier;

// The server a window started: kept while it runs, stopped and started again on request. It checks in the run
// log that the server came up, says when it ends, and signals both, so that a window can show its state.
class TServerProcess : public QObject {
    Q_OBJECT
public:
    // `log` appends a run log line.
    TServerProcess(LogSink log, QObject* parent);
    // Leaves a running server alone.
    ~TServerProcess() override;

    // Starts the server of `launch` (output into "server.log"); the shell's result code, as a Run's launcher
    // returns it. The start is checked for the watch period without waiting for it.
    int Start(const ServerLaunch& launch);
    // True while the server started last runs.
    bool Running() const { return server_.has_value(); }
    // True once a server was started, which Restart starts again.
    bool CanRestart() const { return lastLaunch_.has_value(); }
    // Ends the running server: SIGTERM, then SIGKILL when it still runs after the grace period; logs how it
    // ended. The window keeps drawing meanwhile but takes no input.
    void Stop();
    // Stops the server when it runs, then starts the last launch again with the files as they are now.
    void Restart();
    // Forgets the running server without stopping it; its "server.pid" stays for a later stop.
    void LeaveRunning();

    // Replaces the watch period and the stop's grace period (tests keep them short).
    void SetPeriods(std::chrono::milliseconds watch, std::chrono::milliseconds grace);

Q_SIGNALS:
    // A server was started and runs as process `processId`.
    void Started(qint64 processId);
    // The server ended, by itself or stopped; `exitCode` is 128 + the signal's number when a signal ended it.
    void Ended(int exitCode);

private:
    void CheckEnded();
    // Removes "server.pid" of the ended server, lets it go and signals its end.
    void Forget(int exitCode);
    // Lets the server go without a word.
    void Release();

    LogSink log_;
    std::optional<StartedServer> server_;
    std::optional<ServerLaunch> lastLaunch_;
    QSocketNotifier* ending_ = nullptr;
    QElapsedTimer sinceStart_;
    std::chrono::milliseconds watch_ = DefaultServerWatch;
    std::chrono::milliseconds grace_ = ServerStopGrace;
};
