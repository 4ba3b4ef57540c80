// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandArguments.h"

#include <algorithm>
#include <string_view>

namespace {

const CommandOption* OptionNamed(const std::vector<CommandOption>& options, std::string_view name) {
    const auto found = std::ranges::find_if(options, [&](const CommandOption& option) {
        return std::ranges::find(option.names, name) != option.names.end();
    });
    return found != options.end() ? &*found : nullptr;
}

std::string Dashed(const std::string& name) {
    return (name.size() == 1 ? "-" : "--") + name;
}

} // namespace

CommandArguments CommandArguments::Parse(const std::vector<CommandOption>& options,
                                         const std::vector<std::string>& args, bool verbatimWords) {
    CommandArguments parsed;
    std::vector<std::string> unknown;
    const auto take = [&](const CommandOption& option, std::optional<std::string> value) {
        for (const std::string& name : option.names) {
            std::vector<std::string>& values = parsed.values_[name];
            if (value)
                values.push_back(*value);
        }
    };
    bool onlyWords = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyWords || arg.size() < 2 || arg[0] != '-') {
            parsed.words_.push_back(arg);
            onlyWords = onlyWords || (verbatimWords && parsed.words_.size() == 1);
            continue;
        }
        if (arg == "--") {
            onlyWords = true;
            continue;
        }
        if (arg[1] != '-') {
            // One-letter options may be run together ("-h"); none of them takes a value.
            for (const char letter : arg.substr(1)) {
                if (const CommandOption* option = OptionNamed(options, std::string(1, letter)))
                    take(*option, std::nullopt);
                else
                    unknown.emplace_back(1, letter);
            }
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const CommandOption* option = OptionNamed(options, name);
        if (!option) {
            unknown.push_back(name);
            continue;
        }
        if (!option->TakesValue()) {
            if (equals != std::string::npos)
                throw UsageError("Unexpected value after '" + Dashed(name) + "'.");
            take(*option, std::nullopt);
        } else if (equals != std::string::npos) {
            take(*option, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            take(*option, args[++i]);
        } else {
            throw UsageError("Missing value after '" + Dashed(name) + "'.");
        }
    }
    if (unknown.size() == 1)
        throw UsageError("Unknown option '" + unknown.front() + "'.");
    if (!unknown.empty()) {
        std::string names;
        for (const std::string& name : unknown)
            names += (names.empty() ? "" : ", ") + name;
        throw UsageError("Unknown options: " + names + ".");
    }
    return parsed;
}

std::optional<std::string> CommandArguments::Value(const char* option) const {
    const auto found = values_.find(std::string_view(option));
    if (found == values_.end() || found->second.empty())
        return std::nullopt;
    return found->second.back();
}

Instance CommandArguments::GetInstance() const {
    const auto name = Value("instance");
    if (!name)
        return Instance();
    if (const auto instance = Instance::Named(*name))
        return *instance;
    throw UsageError(Instance::NameRule(*name));
}
