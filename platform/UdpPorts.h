// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Who holds a UDP port of this machine, as the kernel lists its sockets (/proc/net/udp, /proc/net/udp6) and each
// process its open files (/proc/PID/fd).

// A UDP socket bound to a local port.
struct UdpSocket {
    std::string address; // the local address: dotted IPv4 ("0.0.0.0" for every address) or the kernel's IPv6 hex
    int port = 0;
    std::uint64_t inode = 0; // names the socket in /proc/PID/fd ("socket:[INODE]")
};

// True when the kernel's socket tables can be read here (a service may see only the processes of /proc, not /proc/net).
bool UdpSocketTablesShown();

// The UDP sockets bound to `port` (0: to any port) on any local address.
std::vector<UdpSocket> UdpSocketsOnPort(int port);

// The UDP sockets that process `processId` holds open; empty when its open files cannot be read (gone, or another
// user's).
std::vector<UdpSocket> UdpSocketsOf(pid_t processId);

// The processes that hold the socket `inode` open, as far as this user may look into them.
std::vector<pid_t> ProcessesHoldingSocket(std::uint64_t inode);

// 0 when a UDP socket may be bound to `address` (dotted IPv4, or empty for every address) and `port` now, else the
// system's error (EADDRINUSE when another socket has it).
int BindUdpError(const std::string& address, int port);
