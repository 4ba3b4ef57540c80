// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Rcon.h"

#include "platform/AsciiCase.h"
#include "platform/UdpQuery.h"
#include "server/StatusQuery.h"

#include <string>

namespace {

constexpr std::string_view ReplyHeader = "\xff\xff\xff\xffprint\n";

} // namespace

std::string RconRequest(std::string_view password, std::string_view command) {
    std::string request = "\xff\xff\xff\xffrcon ";
    request.append(password).append(" ").append(command);
    return request;
}

std::optional<std::string_view> RconReplyText(std::string_view datagram) {
    if (datagram.substr(0, ReplyHeader.size()) != ReplyHeader)
        return std::nullopt;
    return datagram.substr(ReplyHeader.size());
}

bool IsBadPasswordReply(std::string_view text) {
    // Only the letters count: "Bad rcon password.", "Bad rconpassword." and "bad RCON password" say the same.
    std::string letters = LowerCaseAscii(std::string(text));
    std::erase_if(letters, [](char c) { return c < 'a' || c > 'z'; });
    return letters.find("badrconpassword") != std::string::npos;
}

RconAnswer SendRcon(const std::string& host, int port, std::string_view password, std::string_view command,
                    const UdpClock* clock) {
    UdpExchange exchange;
    exchange.request = RconRequest(password, command);
    exchange.timeout = StatusTimeout;
    exchange.counts = [](std::string_view datagram) { return RconReplyText(datagram).has_value(); };
    exchange.quiet = RconQuiet;
    exchange.collectFor = RconLongest;
    exchange.clock = clock;
    const UdpAnswer answer = ExchangeUdp(host, port, exchange);
    if (answer.outcome != UdpAnswer::Answered)
        return {std::nullopt, ExchangeError(answer, host, port)};
    std::string reply;
    for (const std::string& datagram : answer.datagrams)
        reply.append(*RconReplyText(datagram));
    if (IsBadPasswordReply(reply)) {
        const auto end = reply.find_last_not_of(" \t\r\n");
        return {std::nullopt, reply.substr(0, end == std::string::npos ? 0 : end + 1)};
    }
    return {std::move(reply), {}};
}
