// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerProcess.h"

#include "server/SecondsText.h"
#include "server/ServerFiles.h"
#include "server/ServerSession.h"
#include "server/StatusText.h"

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

TServerProcess::~TServerProcess() {
    EndCheck();
}

void TServerProcess::SetPeriods(std::chrono::milliseconds watch, std::chrono::milliseconds grace) {
    watch_ = watch;
    grace_ = grace;
}

std::optional<StatusAddress> TServerProcess::Address() const {
    return server_ ? StatusAddressOf(server_->launch.parameters) : std::nullopt;
}

int TServerProcess::Start(const ServerLaunch& launch) {
    LeaveRunning();
    lastLaunch_ = launch;
    StartResult result = StartServer(launch, ServerOutput::LogFile);
    if (!result.server)
        return result.code;
    Hold(std::move(*result.server));
    BeginCheck();
    Q_EMIT Started(server_->process.Id());
    return result.code;
}

bool TServerProcess::Adopt(const std::string& modPath, const Instance& instance) {
    if (server_ && server_->launch.modPath == modPath && server_->launch.instance == instance)
        return true;
    FoundServer found = FindServer(modPath, instance);
    if (found.state != FoundServer::Running) {
        if (server_)
            LeaveRunning();
        lastLaunch_.reset();
        return false;
    }
    LeaveRunning();
    const ServerLaunch launch{found.record.executable, found.record.parameters, modPath, instance};
    lastLaunch_ = launch;
    Hold({std::move(*found.process), launch, 0, found.session});
    log_(Line("Server found running (process ", server_->process.Id(), ")"));
    Q_EMIT Started(server_->process.Id());
    return true;
}

void TServerProcess::Hold(StartedServer server) {
    server_ = std::move(server);
    WatchEnd();
}

void TServerProcess::WatchEnd() {
    ending_ = new QSocketNotifier(server_->process.Descriptor(), QSocketNotifier::Read, this);
    connect(ending_, &QSocketNotifier::activated, this, &TServerProcess::CheckEnded);
}

void TServerProcess::BeginCheck() {
    EndCheck();
    if (watch_.count() == 0)
        return;
    const auto address = Address();
    const unsigned generation = ++generation_;
    checking_ = true;
    giveUp_ = std::make_shared<std::atomic<bool>>(false);
    if (!address) {
        // A server that answers no query: only its end, which CheckEnded sees, fails the check.
        const auto liveness = std::min(watch_, LivenessWatch);
        QTimer::singleShot(liveness, this, [this, generation, liveness] {
            if (!checking_ || generation != generation_)
                return;
            checking_ = false;
            log_(ServerRunningLine(liveness, server_->process.Id()));
        });
        return;
    }
    // Said after the line of the launch that is being logged now, so that the log tells what it waits for.
    QMetaObject::invokeMethod(
        this,
        [this, generation, line = WaitingLine(*address)] {
            if (checking_ && generation == generation_)
                log_(line);
        },
        Qt::QueuedConnection);
    check_ = std::thread(
        [this, address = *address, session = server_->session, watch = watch_, giveUp = giveUp_, generation] {
            const FirstAnswer answer = AwaitFirstAnswer(address, session, watch, [&giveUp] { return giveUp->load(); });
            // Queued to this object's thread; the destructor waits for this thread, so the object is still there.
            QMetaObject::invokeMethod(
                this, [this, generation, answer] { CheckDone(generation, answer); }, Qt::QueuedConnection);
        });
}

void TServerProcess::CheckDone(unsigned generation, const FirstAnswer& answer) {
    if (!checking_ || generation != generation_ || !server_)
        return;
    checking_ = false;
    const auto address = Address();
    if (answer.status) {
        log_(AnsweringLine(*address, answer.after, *answer.status));
        Q_EMIT Answering(QString::fromStdString(StatusLine({answer.status, {}, {}})));
    } else
        ReportFailedStart(answer.movedTo ? MovedPortLine(*address, *answer.movedTo) : SilentLine(*address), false);
}

void TServerProcess::EndCheck() {
    checking_ = false;
    if (giveUp_)
        giveUp_->store(true);
    if (check_.joinable())
        check_.join();
}

void TServerProcess::ReportFailedStart(const std::string& failure, bool ended) {
    const std::vector<std::string> lines = FailedStartLines(failure, *server_);
    QString message = QString::fromStdString(failure);
    if (lines.size() > 1)
        message += QStringLiteral("\n\nThe server's last output:");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        message += QLatin1Char('\n') + QString::fromStdString(lines[i]);
    for (const std::string& line : lines)
        log_(line);
    Q_EMIT StartFailed(message, ended);
}

void TServerProcess::CheckEnded() {
    if (!server_ || !server_->process.WaitForEnd(std::chrono::milliseconds(0)))
        return;
    if (FollowSession(*server_, log_)) {
        UnwatchEnd();
        WatchEnd();
        return;
    }
    const auto exitCode = server_->process.Reap();
    if (checking_) {
        EndCheck();
        ReportFailedStart(StoppedAtStartLine(exitCode.value_or(-1)), true);
    } else if (exitCode) {
        log_(EndedLine(*exitCode, false));
    } else {
        log_(Line("Server stopped (process ", server_->process.Id(), ")"));
    }
    Forget(exitCode.value_or(-1));
}

void TServerProcess::Stop() {
    if (!server_) {
        log_("Stop server : no server running");
        return;
    }
    EndCheck();
    ending_->setEnabled(false);
    const SessionEnding ending = StopSession(server_->process, server_->session, grace_, [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    if (ending == SessionEnding::StillRunning || ending == SessionEnding::NotPermitted) {
        log_(Line("Stop server : process ", server_->process.Id(),
                  ending == SessionEnding::NotPermitted
                      ? " belongs to another user and may not be stopped by this one; nothing was sent"
                      : " does not end"));
        ending_->setEnabled(true);
        return;
    }
    // The session has ended, the process held with it.
    server_->process.WaitForEnd(std::chrono::seconds(2));
    const int exitCode = server_->process.Reap().value_or(-1);
    log_(ending == SessionEnding::Killed ? std::string("Stop server : killed after ").append(SecondsText(grace_))
                                         : EndedLine(exitCode, true));
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
    EndCheck();
    log_(Line("Server left running (process ", server_->process.Id(), ")"));
    Release();
}

void TServerProcess::Forget(int exitCode) {
    RemoveServerRecord(server_->launch.modPath, server_->launch.instance, server_->process.Id());
    Release();
    Q_EMIT Ended(exitCode);
}

void TServerProcess::Release() {
    UnwatchEnd();
    server_.reset();
}

void TServerProcess::UnwatchEnd() {
    // The notifier may be the sender of the signal being handled.
    ending_->setEnabled(false);
    ending_->deleteLater();
    ending_ = nullptr;
}
