// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerSession.h"

#include "platform/TerminalText.h"
#include "platform/UdpPorts.h"
#include "server/StatusQuery.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace {

// True when a socket bound to `socket` receives what is sent to `host`: the same address, or every address.
bool Receives(const UdpSocket& socket, const std::string& host) {
    return socket.address == host || socket.address == "0.0.0.0";
}

// The UDP sockets that the processes of `session` hold.
std::vector<UdpSocket> SessionSockets(pid_t session) {
    std::vector<UdpSocket> sockets;
    for (const pid_t member : SessionProcesses(session))
        for (UdpSocket& socket : UdpSocketsOf(member))
            sockets.push_back(std::move(socket));
    return sockets;
}

} // namespace

std::optional<PortHolder> FindPortHolder(const NetSettings& net) {
    const int port = net.port.value_or(DefaultGamePort);
    const std::string ip = net.ip && *net.ip != "0.0.0.0" ? *net.ip : std::string();
    if (BindUdpError(ip, port) != EADDRINUSE)
        return std::nullopt;
    PortHolder holder{port, 0, {}, {}};
    for (const UdpSocket& socket : UdpSocketsOnPort(port)) {
        const auto holders = ProcessesHoldingSocket(socket.inode);
        if (holders.empty())
            continue;
        holder.processId = holders.front();
        holder.name = TerminalSafe(ProcessName(holder.processId));
        holder.folder = ProcessWorkingFolder(holder.processId);
        break;
    }
    return holder;
}

std::string PortHeldMessage(const PortHolder& holder, const std::string& gameFolder) {
    std::string message = "Port " + std::to_string(holder.port) + " is held by ";
    if (holder.processId <= 0)
        return message + "another program";
    message += "process " + std::to_string(holder.processId);
    if (!holder.name.empty())
        message += " (" + holder.name + ")";
    if (holder.folder.empty())
        return message;
    std::error_code error;
    const bool here = std::filesystem::equivalent(holder.folder, gameFolder, error);
    return message + (here ? " of this game folder" : " of another game folder");
}

bool SessionAnswersAt(const StatusAddress& address, pid_t session) {
    const std::vector<UdpSocket> sockets = SessionSockets(session);
    return std::any_of(sockets.begin(), sockets.end(), [&address](const UdpSocket& socket) {
        return socket.port == address.port && Receives(socket, address.host);
    });
}

std::optional<int> SessionPortBesides(const StatusAddress& address, pid_t session) {
    for (const UdpSocket& socket : SessionSockets(session))
        if (socket.port != address.port && Receives(socket, address.host))
            return socket.port;
    return std::nullopt;
}

std::string MovedPortLine(const StatusAddress& address, int moved) {
    const std::string port = std::to_string(address.port);
    return "The server answers on " + ServerAddress(address.host, moved) + ", not on " + port + ": port " + port +
           " was taken";
}

pid_t ServerSessionOf(pid_t process) {
    const auto session = ProcessSession(process);
    if (!session || *session <= 0 || *session == ::getsid(0))
        return 0;
    if (*session == process)
        return *session;
    // A leader that still exists, ended or not, is not the server's process.
    return ProcessSession(*session) ? 0 : *session;
}

std::optional<ProcessHandle> SessionSuccessor(pid_t session) {
    std::vector<pid_t> members = SessionProcesses(session);
    // The engine holds its socket; what else is left is the start script's helpers.
    std::stable_partition(members.begin(), members.end(), [](pid_t member) { return !UdpSocketsOf(member).empty(); });
    for (const pid_t member : members)
        if (auto held = ProcessHandle::Open(member); held && ProcessSession(member) == session)
            return held;
    return std::nullopt;
}

std::string ServesOnLine(pid_t processId) {
    return "The start script ended; its server runs on as process " + std::to_string(processId);
}
