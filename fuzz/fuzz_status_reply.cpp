// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the status reply parser as a server's answer, and stops the run when a text it returns
// is not valid UTF-8 or keeps a character unsafe for a terminal.
#include "server/StatusReply.h"
#include "server/StatusText.h"

#include "platform/TerminalText.h"
#include "platform/Windows1252.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckClean(const std::string& text) {
    if (!IsValidUtf8(text))
        StopFuzzing("not UTF-8: " + text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8At(text, i, c);
        if (IsUnsafeForTerminal(c))
            StopFuzzing("unsafe character kept: " + text);
        i += length - 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto status = ParseStatusReply(reply);
    if (!status)
        return 0;
    CheckClean(status->hostName);
    CheckClean(status->map);
    CheckClean(status->gametype);
    for (const PlayerStatus& player : status->players)
        CheckClean(player.name);
    for (const std::string& line : StatusReport(*status))
        CheckClean(line);
    return 0;
}
