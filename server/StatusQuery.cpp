// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/StatusQuery.h"

#include "platform/UdpQuery.h"

std::string ServerAddress(const std::string& host, int port) {
    return host + ":" + std::to_string(port);
}

std::string ExchangeError(const UdpAnswer& answer, const std::string& host, int port) {
    const std::string address = ServerAddress(host, port);
    const std::string reason = answer.reason.empty() ? std::string() : " (" + answer.reason + ")";
    switch (answer.outcome) {
    case UdpAnswer::Answered:
        return {};
    case UdpAnswer::NoAnswer:
        return "No answer from " + address + reason;
    case UdpAnswer::Unresolved:
        return "Unknown host " + host + reason;
    case UdpAnswer::Failed:
        break;
    }
    return "Cannot ask " + address + reason;
}

StatusAnswer QueryServerStatus(const std::string& host, int port, std::chrono::milliseconds timeout,
                               const UdpClock* clock) {
    using std::chrono_literals::operator""ms;
    UdpExchange exchange;
    exchange.request = StatusRequest();
    exchange.timeout = timeout;
    exchange.resendAt = {300ms, 600ms};
    exchange.counts = [](std::string_view datagram) { return ParseStatusReply(datagram).has_value(); };
    exchange.clock = clock;
    const UdpAnswer answer = ExchangeUdp(host, port, exchange);
    if (answer.outcome == UdpAnswer::Answered && !EndsItsSettingsLine(answer.datagrams.front()))
        return {std::nullopt,
                "The answer from " + ServerAddress(host, port) +
                    " is incomplete: it ends before its settings line does",
                {}};
    if (answer.outcome == UdpAnswer::Answered)
        return {ParseStatusReply(answer.datagrams.front()), {}, answer.roundTrip};
    if (answer.outcome == UdpAnswer::NoAnswer && answer.ignored)
        return {std::nullopt, "The answer from " + ServerAddress(host, port) + " is not a status reply", {}};
    return {std::nullopt, ExchangeError(answer, host, port), {}};
}
