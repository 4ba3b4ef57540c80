// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeServer.h"

#include "platform/AtomicFile.h"

#include <QElapsedTimer>
#include <QThread>

#include <filesystem>
#include <stdexcept>

#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string WriteFakeServer(const std::string& path, const std::string& record, const std::string& output,
                            std::optional<int> exitCode) {
    // The traps and the output come first: once the record is there, the server is ready for signals.
    std::string script = "#!/bin/sh\n";
    if (!exitCode)
        script.append("trap 'echo got TERM; exit ")
            .append(std::to_string(FakeServerTermExit))
            .append("' TERM\ntrap 'exit ")
            .append(std::to_string(FakeServerIntExit))
            .append("' INT\n");
    script.append("printf '%s' '").append(output).append("'\necho 'to stderr' >&2\n");
    script.append("{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"")
        .append(record)
        .append(".part\"\nmv \"")
        .append(record)
        .append(".part\" \"")
        .append(record)
        .append("\"\n");
    if (exitCode)
        script.append("exit ").append(std::to_string(*exitCode)).append("\n");
    else
        script.append("while :; do sleep 0.05; done\n");
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << script;
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

std::string WaitForFile(const std::string& path) {
    QElapsedTimer timer;
    timer.start();
    while (!fs::exists(path) && timer.elapsed() < 10000)
        QThread::msleep(10);
    return fs::exists(path) ? ReadWholeFile(path) : std::string();
}

bool ProcessRuns(long processId) {
    std::ifstream status("/proc/" + std::to_string(processId) + "/stat");
    std::string name, state;
    // The name is in parentheses and may hold blanks; the state follows the closing one.
    std::getline(status, name, ')');
    status >> state;
    return status && !state.empty() && state != "Z" && state != "X";
}

std::string StandInEngine() {
    return QUENDRY_STAND_IN_ENGINE;
}

std::string WriteEngineScript(const std::string& path, const std::string& options, EngineWrapper wrapper) {
    const std::string engine = "'" + StandInEngine() + "' " + options + " \"$@\"";
    std::string script = "#!/bin/sh\n";
    switch (wrapper) {
    case EngineWrapper::Exec:
        script += "exec " + engine + "\n";
        break;
    case EngineWrapper::Child:
        script += engine + "\n";
        break;
    case EngineWrapper::Background:
        script += "nohup " + engine + " >/dev/null 2>&1 &\nexit 0\n";
        break;
    }
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << script;
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

std::string RecordedEngineReplyFile() {
    return QUENDRY_ENGINE_REPLY;
}

int FreeUdpPort() {
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket < 0 || ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free UDP port");
    ::close(socket);
    return ntohs(address.sin_port);
}
