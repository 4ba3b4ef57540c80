#include "server/StatusQuery.h"

#include "platform/UdpQuery.h"

std::string ServerAddress(const std::string& host, int port) {
    return host + ":" + std::to_string(port);
}

StatusAnswer QueryServerStatus(const std::string& host, int port, std::chrono::milliseconds timeout) {
    const std::string address = ServerAddress(host, port);
    const UdpAnswer answer = QueryUdp(host, port, StatusRequest(), timeout);
    const std::string reason = answer.reason.empty() ? std::string() : " (" + answer.reason + ")";
    switch (answer.outcome) {
    case UdpAnswer::Answered:
        if (auto status = ParseStatusReply(answer.datagram))
            return {std::move(status), {}};
        return {std::nullopt, "The answer from " + address + " is not a status reply"};
    case UdpAnswer::NoAnswer:
        return {std::nullopt, "No answer from " + address + reason};
    case UdpAnswer::Unresolved:
        return {std::nullopt, "Unknown host " + host + reason};
    case UdpAnswer::Failed:
        break;
    }
    return {std::nullopt, "Cannot ask " + address + reason};
}
