// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Instance.h"

#include <QCommandLineParser>

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

// What one command was given, as the program's one command-line parser read it against the command's entry in
// the command table: its options by their long name, and its words (the positional arguments) in their order.
class CommandArguments {
public:
    explicit CommandArguments(const QCommandLineParser& parser) : parser_(parser) {}

    bool IsSet(const char* option) const { return parser_.isSet(QString::fromLatin1(option)); }
    // The option's value (the last one when it is given twice); nullopt when it is not given.
    std::optional<std::string> Value(const char* option) const {
        if (!IsSet(option))
            return std::nullopt;
        return parser_.value(QString::fromLatin1(option)).toStdString();
    }
    // The instance that --instance names, the plain one without it; throws UsageError for a name no instance can
    // have.
    Instance GetInstance() const {
        const auto name = Value("instance");
        if (!name)
            return Instance();
        if (const auto instance = Instance::Named(*name))
            return *instance;
        throw UsageError(Instance::NameRule(*name));
    }
    std::vector<std::string> Words() const {
        std::vector<std::string> words;
        for (const QString& word : parser_.positionalArguments())
            words.push_back(word.toStdString());
        return words;
    }

private:
    const QCommandLineParser& parser_;
};
