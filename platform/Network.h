#pragma once

#include <string>
#include <vector>

// This machine's name on the network and the addresses it resolves to.

// The machine's host name; empty when the system gives none.
std::string GetHostName();

// The IPv4 addresses of `hostName` in dotted decimal text, in the resolver's order; empty when it does not resolve.
std::vector<std::string> ResolveIPv4(const std::string& hostName);
