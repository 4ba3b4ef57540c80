// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UdpPorts.h"

#include "platform/ProcessHandle.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// The entries of one of the kernel's socket tables, bound to `port` (0: any).
std::vector<UdpSocket> SocketTable(const std::string& table, bool ipv4, int port) {
    std::vector<UdpSocket> sockets;
    std::ifstream file(table);
    std::string line;
    std::getline(file, line); // the heading
    while (std::getline(file, line)) {
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ...
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode))
            continue;
        const auto colon = local.find(':');
        int localPort = 0;
        std::uint64_t number = 0;
        if (colon == std::string::npos ||
            std::from_chars(local.data() + colon + 1, local.data() + local.size(), localPort, 16).ec != std::errc() ||
            std::from_chars(inode.data(), inode.data() + inode.size(), number).ec != std::errc())
            continue;
        if (port != 0 && localPort != port)
            continue;
        std::string address = local.substr(0, colon);
        std::uint32_t raw = 0;
        // The kernel writes an IPv4 address as one number in the machine's own byte order.
        if (ipv4 && std::from_chars(address.data(), address.data() + address.size(), raw, 16).ec == std::errc()) {
            char text[INET_ADDRSTRLEN] = {};
            in_addr binary{raw};
            ::inet_ntop(AF_INET, &binary, text, sizeof text);
            address = text;
        }
        sockets.push_back({address, localPort, number});
    }
    return sockets;
}

// The socket inodes that process `processId` holds open.
std::vector<std::uint64_t> SocketInodesOf(pid_t processId) {
    constexpr std::string_view Prefix = "socket:[";
    std::vector<std::uint64_t> inodes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(processId) + "/fd", error)) {
        std::error_code linkError;
        const std::string target = std::filesystem::read_symlink(entry.path(), linkError).string();
        std::uint64_t inode = 0;
        if (!linkError && target.starts_with(Prefix) &&
            std::from_chars(target.data() + Prefix.size(), target.data() + target.size(), inode).ec == std::errc())
            inodes.push_back(inode);
    }
    return inodes;
}

} // namespace

bool UdpSocketTablesShown() {
    return std::ifstream("/proc/net/udp").good();
}

std::vector<UdpSocket> UdpSocketsOnPort(int port) {
    std::vector<UdpSocket> sockets = SocketTable("/proc/net/udp", true, port);
    for (UdpSocket& socket : SocketTable("/proc/net/udp6", false, port))
        sockets.push_back(std::move(socket));
    return sockets;
}

std::vector<UdpSocket> UdpSocketsOf(pid_t processId) {
    const std::vector<std::uint64_t> inodes = SocketInodesOf(processId);
    std::vector<UdpSocket> held;
    if (inodes.empty())
        return held;
    for (UdpSocket& socket : UdpSocketsOnPort(0))
        if (std::find(inodes.begin(), inodes.end(), socket.inode) != inodes.end())
            held.push_back(std::move(socket));
    return held;
}

std::vector<pid_t> ProcessesHoldingSocket(std::uint64_t inode) {
    std::vector<pid_t> holders;
    for (const pid_t id : ProcessIds()) {
        const std::vector<std::uint64_t> inodes = SocketInodesOf(id);
        if (std::find(inodes.begin(), inodes.end(), inode) != inodes.end())
            holders.push_back(id);
    }
    return holders;
}

int BindUdpError(const std::string& address, int port) {
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return errno;
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(static_cast<std::uint16_t>(port));
    bound.sin_addr.s_addr = htonl(INADDR_ANY);
    int error = 0;
    if (!address.empty() && ::inet_pton(AF_INET, address.c_str(), &bound.sin_addr) != 1)
        error = EINVAL;
    else if (::bind(probe, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0)
        error = errno;
    ::close(probe);
    return error;
}
