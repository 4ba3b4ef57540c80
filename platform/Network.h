// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// This machine's addresses on the network.

// The addresses of this machine's interfaces that are up, IPv4 in dotted decimal text and IPv6 in its short text,
// in the system's order of the interfaces; empty when the system lists none.
std::vector<std::string> InterfaceAddresses();

// The address that others reach this machine at, from `addresses`: the first IPv4 address that is not a loopback
// one, else the first such IPv6 address (link-local ones, which need an interface name, left out), else the first
// loopback address; empty when there is none.
std::string ReachableAddress(const std::vector<std::string>& addresses);
