// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A command line that a command cannot take (a value out of range, options that exclude each other): the program
// prints the message and the command's usage and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One option of a command: its names ("h" and "help": -h and --help) and, for an option that takes a value, the
// value's name in the usage ("DIR"); an option without one is a flag.
struct CommandOption {
    std::vector<std::string> names;
    std::string description;
    std::string valueName;

    bool TakesValue() const { return !valueName.empty(); }
};

// What one command was given, read against the command's options: its options by any of their names, and its words
// (the positional arguments) in their order.
class CommandArguments {
public:
    // Reads `args` (the words after the command's name). An option is "--name", "--name=VALUE" or "--name VALUE"
    // (the next word is the value whatever it looks like), a one-letter name also "-n"; "--" makes every word after
    // it a word, as the first word does with `verbatimWords`. Throws UsageError with the reason ("Unknown option
    // 'x'.", "Missing value after '--game'.") for a line it cannot take.
    static CommandArguments Parse(const std::vector<CommandOption>& options, const std::vector<std::string>& args,
                                  bool verbatimWords);

    bool IsSet(const char* option) const { return values_.contains(option); }
    // The option's value (the last one when it is given twice); nullopt when it is not given.
    std::optional<std::string> Value(const char* option) const;
    // The instance that --instance names, the plain one without it; throws UsageError for a name no instance can
    // have.
    Instance GetInstance() const;
    const std::vector<std::string>& Words() const { return words_; }

private:
    // Every option given, under each of its names, with its values in their order (none for a flag).
    std::map<std::string, std::vector<std::string>, std::less<>> values_;
    std::vector<std::string> words_;
};
