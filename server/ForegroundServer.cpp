// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ForegroundServer.h"

#include "platform/TerminalText.h"
#include "server/Rcon.h"
#include "server/SecondsText.h"
#include "server/ServerFiles.h"
#include "server/ServerSession.h"
#include "server/ServiceManager.h"
#include "server/StatusQuery.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The signals that ask for a stop. A hang-up (a closed terminal, `kill -HUP`) reaches the server as SIGTERM, which
// every engine takes for a stop.
constexpr int PassedSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the signal handler, which may run on any thread.
volatile sig_atomic_t serverGroup = 0;
volatile sig_atomic_t receivedSignal = 0;
// Who sent it, when the system says (0 for the kernel or a terminal).
volatile sig_atomic_t signalSender = 0;
// Written by the signal handler so that the wait wakes up at once.
int wakeUp[2] = {-1, -1};
struct sigaction formerHandling[std::size(PassedSignals)];
bool inUse = false;

void PassOn(int received, siginfo_t* info, void*) {
    const int signal = received == SIGHUP ? SIGTERM : received;
    signalSender = info != nullptr && info->si_code == SI_USER ? info->si_pid : 0;
    receivedSignal = signal;
    const pid_t group = serverGroup;
    if (group > 0)
        ::kill(-group, signal);
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(wakeUp[1], &byte, 1);
}

milliseconds Left(Clock::time_point until) {
    return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(until - Clock::now()));
}

// Waits until the server ends, a signal comes or `until`; true when the server ended.
bool EndsBefore(const ProcessHandle& process, Clock::time_point until) {
    pollfd watched[] = {{process.Descriptor(), POLLIN, 0}, {wakeUp[0], POLLIN, 0}};
    const int ready = ::poll(watched, 2, static_cast<int>(Left(until).count()));
    if (ready > 0 && (watched[1].revents & POLLIN) != 0) {
        char bytes[16];
        while (::read(wakeUp[0], bytes, sizeof bytes) > 0) {
        }
    }
    return ready > 0 && (watched[0].revents & POLLIN) != 0;
}

// "Stop asked for by process N (NAME)", or "Stop asked for" when the sender is not known.
std::string StopAskedLine(pid_t sender) {
    if (sender <= 0)
        return "Stop asked for";
    const std::string name = ProcessName(sender);
    return "Stop asked for by process " + std::to_string(sender) +
           (name.empty() ? "" : " (" + TerminalSafe(name) + ")");
}

// "Server hung: no answer on port P for N s", and what its process shows when that tells more.
std::string HungLine(const StatusAddress& address, milliseconds silent, pid_t process) {
    std::string line = "Server hung: no answer on port " + std::to_string(address.port) + " for " + SecondsText(silent);
    if (const auto state = ProcessState(process); state == 'T' || state == 't')
        line += "; its process " + std::to_string(process) + " is stopped";
    return line;
}

// "Status queries unanswered for N s; the remote console answers: the server is busy, not hung".
std::string BusyLine(milliseconds unanswered) {
    return "Status queries unanswered for " + SecondsText(unanswered) +
           "; the remote console answers: the server is busy, not hung";
}

// True when the remote console answers at `address`: any answer, a refusal too, shows the engine's loop runs.
bool RemoteConsoleAnswers(const StatusAddress& address, const std::string& password) {
    const RconAnswer answer = SendRcon(address.host, address.port, password, "serverinfo");
    return answer.reply.has_value() || answer.refused;
}

std::string StatusNotice(const ServerStatus& status) {
    return "STATUS=" + status.map + ", " + status.gametype + ", " + std::to_string(status.players.size()) +
           (status.players.size() == 1 ? " player" : " players");
}

// The time between two status queries once the server answered: a hang time shorter than the interval still
// sees a few queries, each with its own resends, before it runs out, and a service manager's watchdog hears of an
// answering server twice in its period.
milliseconds QueryInterval(const ForegroundPeriods& periods, std::optional<std::chrono::microseconds> watchdog) {
    milliseconds longest = std::max(periods.interval, FirstAnswerPause);
    if (watchdog)
        longest = std::min(longest, std::chrono::duration_cast<milliseconds>(*watchdog / 2));
    return std::clamp(periods.hang / 3, FirstAnswerPause, std::max(longest, FirstAnswerPause));
}

} // namespace

ForegroundServer::ForegroundServer() {
    if (inUse)
        throw std::logic_error("Only one server runs in the foreground");
    if (::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("No pipe for the foreground server's signals");
    inUse = true;
    serverGroup = 0;
    receivedSignal = 0;
    signalSender = 0;
    struct sigaction handling {};
    handling.sa_sigaction = PassOn;
    sigemptyset(&handling.sa_mask);
    handling.sa_flags = SA_RESTART | SA_SIGINFO;
    for (std::size_t i = 0; i < std::size(PassedSignals); ++i)
        ::sigaction(PassedSignals[i], &handling, &formerHandling[i]);
    // An engine that its start script left behind becomes this program's child, whose end and code it hears.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
}

ForegroundServer::~ForegroundServer() {
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    for (std::size_t i = 0; i < std::size(PassedSignals); ++i)
        ::sigaction(PassedSignals[i], &formerHandling[i], nullptr);
    serverGroup = 0;
    ::close(wakeUp[0]);
    ::close(wakeUp[1]);
    inUse = false;
}

int ForegroundServer::Start(const ServerLaunch& launch) {
    StartResult result = StartServer(launch, ServerOutput::Inherited);
    if (result.server) {
        server_ = std::move(result.server);
        serverGroup = server_->process.Id();
        // A signal that came before the server's group was known is passed on now (at worst a second time). The
        // group is the session's own as long as nothing in it makes a group of its own; the stop sees to those.
        if (receivedSignal != 0)
            ::kill(-server_->process.Id(), receivedSignal);
    }
    return result.code;
}

int ForegroundServer::Run(const ForegroundPeriods& periods, const LogSink& log,
                          const std::optional<std::string>& rconPassword, const SupervisionSink& report) {
    if (!server_)
        throw std::logic_error("No server was started in the foreground");
    const auto tell = [&](SupervisionReport::Kind kind, const StatusAnswer* answer = nullptr,
                          milliseconds silent = milliseconds(0), int exitCode = 0) {
        if (report)
            report({kind, *server_, answer, silent, exitCode, receivedSignal != 0});
    };
    const auto address = StatusAddressOf(server_->launch.parameters);
    const auto watchdog = ServiceWatchdogPeriod();
    const Clock::time_point started = Clock::now();
    // The session ends only with its last process: a start script that put the engine in the background is followed.
    const auto ended = [&] { return server_->process.WaitForEnd(milliseconds(0)) && !FollowSession(*server_, log); };
    // Reaps the ended server and says how it ended; its exit code.
    const auto finish = [&](bool stopped) {
        const int exitCode = Finish();
        log(EndedLine(exitCode, stopped));
        tell(SupervisionReport::Ended, nullptr, milliseconds(0), exitCode);
        return exitCode;
    };
    std::optional<Clock::time_point> lastAnswer;
    bool silenceTold = false;
    if (address) {
        // The start watch of every start; a stop asked for meanwhile ends it.
        const FirstAnswer first =
            AwaitFirstAnswer(*address, server_->session, periods.watch, [&] { return receivedSignal != 0 || ended(); });
        const StatusAnswer firstAnswer{first.status, {}, milliseconds(0)};
        if (first.status) {
            log(AnsweringLine(*address, first.after, *first.status));
            NotifyServiceManager("READY=1\n" + StatusNotice(*first.status));
            lastAnswer = Clock::now();
            tell(SupervisionReport::StatusQueried, &firstAnswer);
            tell(SupervisionReport::Ready, &firstAnswer, first.after);
        } else if (first.movedTo) {
            // Its players would find another server where they look for it: it is not this service's server.
            log(MovedPortLine(*address, *first.movedTo));
            StopSessionOf(periods, log, false);
            finish(true);
            return InTheWayExit;
        } else if (receivedSignal == 0 && server_->process.WaitForEnd(milliseconds(0)) == false) {
            log(SilentLine(*address));
        }
        // A server that did not answer within the start watch is not answering, unless it is on its way out.
        if (!first.status && receivedSignal == 0 && !server_->process.WaitForEnd(milliseconds(0))) {
            tell(SupervisionReport::StatusQueried, &firstAnswer);
            tell(SupervisionReport::NotAnswering, &firstAnswer, periods.watch);
            silenceTold = true;
        }
    } else {
        NotifyServiceManager("READY=1"); // a server that answers no query is ready once it runs
        tell(SupervisionReport::Ready);
    }
    // A silent server is counted from the end of the start watch; the remote console's answers count too.
    Clock::time_point lastSign = lastAnswer.value_or(started + periods.watch);
    bool busyLogged = false;
    Clock::time_point nextQuery = Clock::now() + QueryInterval(periods, watchdog);
    for (;;) {
        // A server without a status query is only awaited; the wait wakes up now and then all the same.
        const Clock::time_point hangAt = lastSign + periods.hang;
        const bool processEnded =
            EndsBefore(server_->process, address ? std::min(nextQuery, hangAt) : Clock::now() + std::chrono::hours(1));
        if (receivedSignal != 0 || (processEnded && ended())) {
            if (receivedSignal != 0) {
                log(StopAskedLine(signalSender));
                tell(SupervisionReport::StopAsked);
                StopSessionOf(periods, log, true);
            }
            const int exitCode = finish(receivedSignal != 0);
            // A stop that was asked for is a normal end, whatever code the engine gives for it.
            return receivedSignal != 0 ? 0 : exitCode;
        }
        if (!address || processEnded)
            continue;
        const Clock::time_point now = Clock::now();
        if (now >= hangAt) {
            const auto silent = std::chrono::duration_cast<milliseconds>(now - lastSign);
            log(HungLine(*address, silent, server_->process.Id()));
            tell(SupervisionReport::Hung, nullptr, silent);
            StopSessionOf(periods, log, false);
            Finish();
            return HungServerExit;
        }
        if (now < nextQuery)
            continue;
        nextQuery = now + QueryInterval(periods, watchdog);
        StatusAnswer answer = QueryServerStatus(address->host, address->port);
        // An answer from another socket than the server's own is none.
        if (answer.status && !SessionAnswersAt(*address, server_->session))
            answer.status.reset();
        tell(SupervisionReport::StatusQueried, &answer);
        if (answer.status) {
            if (lastAnswer) {
                NotifyServiceManager((watchdog ? "WATCHDOG=1\n" : "") + StatusNotice(*answer.status));
            } else {
                log(AnsweringLine(*address, std::chrono::duration_cast<milliseconds>(Clock::now() - started),
                                  *answer.status));
                NotifyServiceManager("READY=1\n" + StatusNotice(*answer.status));
            }
            if (!lastAnswer || silenceTold)
                tell(lastAnswer ? SupervisionReport::AnsweringAgain : SupervisionReport::Ready, &answer,
                     std::chrono::duration_cast<milliseconds>(Clock::now() - lastAnswer.value_or(started)));
            lastAnswer = lastSign = Clock::now();
            busyLogged = false;
            silenceTold = false;
            continue;
        }
        if (!lastAnswer)
            continue;
        // The engine answers a few status queries a second in total, whoever asks: a flood starves them, not its
        // remote console, which it limits for each address.
        const auto unanswered = std::chrono::duration_cast<milliseconds>(Clock::now() - *lastAnswer);
        if (rconPassword && RemoteConsoleAnswers(*address, *rconPassword)) {
            lastSign = Clock::now();
            NotifyServiceManager((watchdog ? "WATCHDOG=1\n" : "") +
                                 std::string("STATUS=status queries unanswered for ") + SecondsText(unanswered) +
                                 "; the remote console answers");
            if (!busyLogged && unanswered >= periods.hang) {
                log(BusyLine(unanswered));
                busyLogged = true;
            }
            continue;
        }
        // The watchdog goes hungry, and the status says why.
        NotifyServiceManager("STATUS=not answering for " + SecondsText(unanswered));
        if (!silenceTold)
            tell(SupervisionReport::NotAnswering, &answer, unanswered);
        silenceTold = true;
    }
}

void ForegroundServer::StopSessionOf(const ForegroundPeriods& periods, const LogSink& log, bool signalled) {
    NotifyServiceManager("STOPPING=1");
    // The signal that asked for the stop reached the server's group already: an engine that gets a second one
    // while it shuts down takes it for a fault and quits at once. A hung server gets SIGTERM now.
    if (StopSession(server_->process, server_->session, periods.grace, {}, signalled ? 0 : SIGTERM) ==
        SessionEnding::Killed)
        log("Server killed after the grace period (" + SecondsText(periods.grace) + ")");
}

int ForegroundServer::Finish() {
    serverGroup = 0;
    // The ended server is reaped only once no signal can reach its id any more, which another process may reuse.
    while (!server_->process.WaitForEnd(std::chrono::hours(1))) {
    }
    const int exitCode = server_->process.Reap().value_or(-1);
    RemoveServerRecord(server_->launch.modPath, server_->launch.instance, server_->process.Id());
    return exitCode;
}
