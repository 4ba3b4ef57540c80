#include "app/StatusCommand.h"

#include "server/StatusQuery.h"
#include "server/StatusText.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace {

const char* const StatusUsage = "Usage: quendry status [--host H] [--port P]\n"
                                "Asks a running Call of Duty server for its host name, map, gametype and players.\n"
                                "\n"
                                "  --host H  the server's host name or IPv4 address (127.0.0.1)\n"
                                "  --port P  the server's port (28960)\n";

struct StatusOptions {
    std::string host = "127.0.0.1";
    int port = DefaultGamePort;
};

std::optional<int> ParsePort(const std::string& text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

// Reads the options; nullopt after a usage error (already reported).
std::optional<StatusOptions> ParseStatusOptions(const std::vector<std::string>& args, std::ostream& err) {
    StatusOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--host" && hasValue) {
            options.host = args[++i];
            if (options.host.empty()) {
                err << "quendry status: the host name is empty\n";
                return std::nullopt;
            }
        } else if (arg == "--port" && hasValue) {
            const auto port = ParsePort(args[++i]);
            if (!port) {
                err << "quendry status: the port must be a whole number from 1 to 65535, not '" << args[i] << "'\n";
                return std::nullopt;
            }
            options.port = *port;
        } else {
            err << "quendry status: unexpected argument '" << arg << "'\n" << StatusUsage;
            return std::nullopt;
        }
    }
    return options;
}

} // namespace

int StatusCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args.front() == "--help" || args.front() == "-h")) {
        out << StatusUsage;
        return 0;
    }
    const auto options = ParseStatusOptions(args, err);
    if (!options)
        return 2;
    const StatusAnswer answer = QueryServerStatus(options->host, options->port);
    if (!answer.status) {
        err << "quendry status: " << answer.error << '\n';
        return 1;
    }
    for (const std::string& line : StatusReport(*answer.status))
        out << line << '\n';
    return 0;
}
