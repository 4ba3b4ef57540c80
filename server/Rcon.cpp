// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Rcon.h"

#include "platform/AsciiCase.h"
#include "platform/UdpQuery.h"
#include "server/StatusQuery.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr std::string_view ReplyHeader = "\xff\xff\xff\xffprint\n";

// How the engines of the family refuse a command, by the letters of their words alone: "Bad rcon password.",
// "Bad rconpassword.", "Bad remote console password", "Invalid password.", "No rconpassword set on the server.".
constexpr std::string_view RefusalLetters[] = {"badrconpassword", "badremoteconsolepassword", "invalidpassword",
                                               "norconpasswordsetontheserver"};

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

bool IsRefusalReply(std::string_view text) {
    // The refusal is the whole reply: only its first line counts, blanks, stops and letter case aside.
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    const std::string_view line = start == std::string_view::npos ? std::string_view() : text.substr(start);
    std::string letters = LowerCaseAscii(std::string(line.substr(0, line.find('\n'))));
    std::erase_if(letters, [](char c) { return c < 'a' || c > 'z'; });
    return std::ranges::find(RefusalLetters, letters) != std::end(RefusalLetters);
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
    if (IsRefusalReply(reply)) {
        const auto end = reply.find_last_not_of(" \t\r\n");
        return {std::nullopt, reply.substr(0, end == std::string::npos ? 0 : end + 1), true};
    }
    return {std::move(reply), {}};
}
