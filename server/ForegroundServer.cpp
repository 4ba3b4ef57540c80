#include "server/ForegroundServer.h"

#include "server/ServerFiles.h"

#include <csignal>
#include <stdexcept>

namespace {

constexpr int PassedSignals[] = {SIGTERM, SIGINT};

// Written by the signal handler, which may run on any thread.
volatile sig_atomic_t serverProcess = 0;
volatile sig_atomic_t receivedSignal = 0;
struct sigaction formerHandling[std::size(PassedSignals)];
bool inUse = false;

void PassOn(int signal) {
    receivedSignal = signal;
    const pid_t target = serverProcess;
    if (target > 0)
        ::kill(target, signal);
}

} // namespace

ForegroundServer::ForegroundServer() {
    if (inUse)
        throw std::logic_error("Only one server runs in the foreground");
    inUse = true;
    serverProcess = 0;
    receivedSignal = 0;
    struct sigaction handling {};
    handling.sa_handler = PassOn;
    sigemptyset(&handling.sa_mask);
    handling.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(PassedSignals); ++i)
        ::sigaction(PassedSignals[i], &handling, &formerHandling[i]);
}

ForegroundServer::~ForegroundServer() {
    for (std::size_t i = 0; i < std::size(PassedSignals); ++i)
        ::sigaction(PassedSignals[i], &formerHandling[i], nullptr);
    serverProcess = 0;
    inUse = false;
}

int ForegroundServer::Start(const ServerLaunch& launch) {
    StartResult result = StartServer(launch, ServerOutput::Inherited);
    if (result.server) {
        server_ = std::move(result.server);
        serverProcess = server_->process.Id();
        // A signal that came before the server's id was known is passed on now (at worst a second time).
        if (receivedSignal != 0)
            ::kill(server_->process.Id(), receivedSignal);
    }
    return result.code;
}

int ForegroundServer::Wait() {
    if (!server_)
        throw std::logic_error("No server was started in the foreground");
    // The ended server is reaped only once no signal can reach its id any more, which another process may reuse.
    while (!server_->process.WaitForEnd(std::chrono::hours(1))) {
    }
    serverProcess = 0;
    const int exitCode = server_->process.Reap().value_or(-1);
    RemoveServerRecord(server_->launch.modPath, server_->process.Id());
    return exitCode;
}
