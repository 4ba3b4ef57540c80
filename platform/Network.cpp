// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Network.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>

namespace {

bool IsIPv4(const std::string& address) {
    return address.find(':') == std::string::npos;
}

bool IsLoopback(const std::string& address) {
    return IsIPv4(address) ? address.starts_with("127.") : address == "::1";
}

bool IsLinkLocal(const std::string& address) {
    return !IsIPv4(address) && (address.starts_with("fe8") || address.starts_with("fe9") ||
                                address.starts_with("fea") || address.starts_with("feb"));
}

} // namespace

std::vector<std::string> InterfaceAddresses() {
    std::vector<std::string> addresses;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return addresses;
    for (const ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || (entry->ifa_flags & IFF_UP) == 0)
            continue;
        std::array<char, INET6_ADDRSTRLEN> text{};
        const int family = entry->ifa_addr->sa_family;
        const void* address = nullptr;
        if (family == AF_INET)
            address = &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
        else if (family == AF_INET6)
            address = &reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr;
        if (address && ::inet_ntop(family, address, text.data(), text.size()))
            addresses.emplace_back(text.data());
    }
    ::freeifaddrs(interfaces);
    return addresses;
}

std::string ReachableAddress(const std::vector<std::string>& addresses) {
    std::string ipv6, loopback;
    for (const std::string& address : addresses) {
        if (IsLoopback(address)) {
            if (loopback.empty())
                loopback = address;
        } else if (IsIPv4(address)) {
            return address;
        } else if (ipv6.empty() && !IsLinkLocal(address)) {
            ipv6 = address;
        }
    }
    return ipv6.empty() ? loopback : ipv6;
}
