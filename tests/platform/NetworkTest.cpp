// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Network.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct AddressCase {
    const char* what;
    std::vector<std::string> addresses;
    std::string reachable;
};

TEST(NetworkTest, OffersTheFirstAddressOthersReachAndTheLoopbackOnlyWithoutOne) {
    const AddressCase cases[] = {
        {"a Debian box whose name resolves to the loopback",
         {"127.0.0.1", "::1", "192.168.1.20", "fe80::a00:27ff:fe4e:66a1"},
         "192.168.1.20"},
        {"IPv4 before IPv6, whatever the order", {"2001:db8::5", "10.0.0.7", "10.0.0.8"}, "10.0.0.7"},
        {"IPv6 when there is no IPv4 but the loopback", {"127.0.0.1", "fe80::1", "2001:db8::5"}, "2001:db8::5"},
        {"a link-local IPv6 address is not offered", {"fe80::1", "127.0.1.1"}, "127.0.1.1"},
        {"the loopback when there is nothing else", {"::1", "127.0.0.1"}, "::1"},
        {"nothing at all", {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReachableAddress(c.addresses), c.reachable) << c.what;
}

TEST(NetworkTest, ListsThisMachinesInterfacesWithTheLoopbackAmongThem) {
    const std::vector<std::string> addresses = InterfaceAddresses();
    EXPECT_NE(std::ranges::find(addresses, "127.0.0.1"), addresses.end());
    EXPECT_FALSE(ReachableAddress(addresses).empty());
}

} // namespace
