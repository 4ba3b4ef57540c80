// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RconCommand.h"

#include "app/CommandArguments.h"
#include "app/ServerTarget.h"
#include "app/StartState.h"
#include "server/GamePort.h"
#include "server/Rcon.h"
#include "server/StatusReply.h"

#include <cstdlib>
#include <ostream>

std::optional<std::string> RconPassword(const LineList& advancedLines) {
    if (const char* variable = std::getenv(RconPasswordVariable); variable && *variable)
        return std::string(variable);
    auto password = CvarSetBy(advancedLines, "rcon_password");
    if (password && password->empty())
        return std::nullopt;
    return password;
}

std::string NoRconPasswordMessage() {
    return std::string("no remote-console password is set: add 'set rcon_password ...' to the advanced lines or set ") +
           RconPasswordVariable;
}

std::vector<std::string> RconReplyLines(const std::string& reply, bool raw) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < reply.size();) {
        const std::size_t end = std::min(reply.find('\n', start), reply.size());
        const std::string_view line = std::string_view(reply).substr(start, end - start);
        lines.push_back(raw ? ReadableGameText(line) : CleanGameText(line));
        start = end + 1;
    }
    return lines;
}

int RconCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    const ServerTarget target = ServerTargetOf(args);
    // The engine's console splits a command at blanks: a word after the first that holds some is quoted, so that
    // it stays one ("say \"server restarts in 5 minutes\""). A first word with blanks is a whole command.
    std::string command;
    for (const std::string& word : args.Words()) {
        const bool quoted = !command.empty() && word.find_first_of(" \t") != std::string::npos;
        command += (command.empty() ? "" : " ") + (quoted ? '"' + word + '"' : word);
    }
    const auto settingsFile = args.Value("settings");
    const GivenSettings settings = settingsFile ? ReadGivenSettings(*settingsFile) : GivenSettings{};
    if (!settings.unusable.empty()) {
        err << "quendry rcon: " << settings.unusable << '\n';
        return 2;
    }
    const StartState state = LoadStartState(settings.ini ? &*settings.ini : nullptr, args.GetInstance());
    const auto password = RconPassword(state.options.AdvancedLines());
    if (!password) {
        err << "quendry rcon: " << NoRconPasswordMessage() << '\n';
        return 1;
    }
    const RconAnswer answer = SendRcon(target.host, target.port, *password, command);
    if (!answer.reply) {
        err << "quendry rcon: " << CleanGameText(answer.error) << '\n';
        return 1;
    }
    for (const std::string& line : RconReplyLines(*answer.reply, args.IsSet("raw")))
        out << line << '\n';
    return 0;
}
