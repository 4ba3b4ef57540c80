#include "server/ServerProcess.h"

#include "server/ServerFiles.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// "<subject><number><rest>", without the false overlap warnings of GCC 12 on literal + temporary.
std::string Line(const char* subject, long long number, const char* rest) {
    return std::string(subject).append(std::to_string(number)).append(rest);
}

} // namespace

TServerProcess::TServerProcess(LogSink log, QObject* parent) : QObject(parent), log_(std::move(log)) {}

TServerProcess::~TServerProcess() = default;

void TServerProcess::SetPeriods(std::chrono::milliseconds watch, std::chrono::milliseconds grace) {
    watch_ = watch;
    grace_ = grace;
}

int TServerProcess::Start(const ServerLaunch& launch) {
    LeaveRunning();
    lastLaunch_ = launch;
    StartResult result = StartServer(launch, ServerOutput::LogFile);
    if (!result.server)
        return result.code;
    server_ = std::move(result.server);
    sinceStart_.start();
    ending_ = new QSocketNotifier(server_->process.Descriptor(), QSocketNotifier::Read, this);
    connect(ending_, &QSocketNotifier::activated, this, &TServerProcess::CheckEnded);
    const qint64 processId = server_->process.Id();
    QTimer::singleShot(watch_, this, [this, processId] {
        if (server_ && server_->process.Id() == processId)
            log_(ServerRunningLine(watch_, server_->process.Id()));
    });
    Q_EMIT Started(processId);
    return result.code;
}

void TServerProcess::CheckEnded() {
    if (!server_)
        return;
    const auto exitCode = server_->process.Reap();
    if (!exitCode)
        return;
    if (std::chrono::milliseconds(sinceStart_.elapsed()) < watch_) {
        for (const std::string& line :
             StoppedAtStartLines(*exitCode, ServerLogFile(server_->launch.modPath), server_->logOffset))
            log_(line);
    } else {
        log_(Line("Server stopped (exit code ", *exitCode, ")"));
    }
    Forget(*exitCode);
}

void TServerProcess::Stop() {
    if (!server_) {
        log_("Stop server : no server running");
        return;
    }
    ending_->setEnabled(false);
    const auto ending =
        server_->process.Stop(grace_, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    if (ending == ProcessHandle::Ending::StillRunning || ending == ProcessHandle::Ending::NotPermitted) {
        log_(Line("Stop server : process ", server_->process.Id(), " does not end"));
        ending_->setEnabled(true);
        return;
    }
    const int exitCode = server_->process.Reap().value_or(-1);
    if (ending == ProcessHandle::Ending::Killed)
        log_(std::string("Stop server : killed after ").append(SecondsText(grace_)));
    else
        log_(Line("Stop server : stopped (exit code ", exitCode, ")"));
    Forget(exitCode);
}

void TServerProcess::Restart() {
    if (!lastLaunch_)
        return;
    if (server_) {
        Stop();
        if (server_)
            return;
    }
    const ServerLaunch launch = *lastLaunch_;
    log_(Line("Launch server : ", Start(launch), ""));
}

void TServerProcess::LeaveRunning() {
    if (!server_)
        return;
    log_(Line("Server left running (process ", server_->process.Id(), ")"));
    Release();
}

void TServerProcess::Forget(int exitCode) {
    RemoveServerRecord(server_->launch.modPath, server_->process.Id());
    Release();
    Q_EMIT Ended(exitCode);
}

void TServerProcess::Release() {
    // The notifier may be the sender of the signal being handled.
    ending_->setEnabled(false);
    ending_->deleteLater();
    ending_ = nullptr;
    server_.reset();
}
