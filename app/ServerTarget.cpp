// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServerTarget.h"

#include "ModFolder.h"

#include "app/CommandArguments.h"
#include "app/GameFolderOption.h"
#include "config/AdvancedConfig.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Windows1252.h"
#include "server/GamePort.h"
#include "server/LiveAddress.h"
#include "server/StatusQuery.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace {

int PortOf(const std::string& text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        throw UsageError("the port must be a whole number from 1 to 65535, not '" + text + "'");
    return port;
}

// The lines of the instance's "advanced.cfg" in the mod folder of `gameFolder`; none when a Run never wrote it.
std::vector<std::string> AdvancedConfigLines(const std::string& gameFolder, const Instance& instance) {
    if (const std::string unusable = UnusableGameFolder(gameFolder); !unusable.empty())
        throw UsageError(unusable);
    const std::string file = JoinPath(ModFolderPath(gameFolder), AdvancedConfigName(instance));
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 && errno == ENOENT)
        return {};
    // Lines as the windows' memo splits them: at each line feed, with no empty line after a final one.
    const std::string text = DecodeWindows1252(ReadWholeFile(file));
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

ServerTarget GameServerTarget(const LineList& advancedLines) {
    const StatusAddress address = ListenAddressOf(NetSettingsOf(advancedLines));
    return {address.host, address.port};
}

ServerTarget GameFolderTarget(const std::string& gameFolder, const Instance& instance) {
    const StatusAddress address =
        LiveServerAddress(ModFolderPath(gameFolder), instance, AdvancedConfigLines(gameFolder, instance));
    return {address.host, address.port};
}

ServerTarget ServerTargetOf(const CommandArguments& args) {
    const auto game = args.Value("game");
    const auto port = args.Value("port");
    if (game && port)
        throw UsageError("--port and --game name the port twice: give one of them");
    ServerTarget target =
        game ? GameFolderTarget(*game, args.GetInstance()) : GameServerTarget({}); // no line: the default address
    if (port)
        target.port = PortOf(*port);
    if (const auto host = args.Value("host")) {
        if (host->empty())
            throw UsageError("the host name is empty");
        target.host = *host;
    }
    return target;
}
