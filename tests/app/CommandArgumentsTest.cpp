// SPDX-License-Identifier: GPL-3.0-or-later
// How the program reads a command's options and words.
#include "app/CommandArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<CommandOption> Options = {
    {{"game"}, "the game folder", "DIR"},
    {{"json"}, "print JSON", {}},
    {{"h", "help"}, "print this help", {}},
};

CommandArguments Parse(const std::vector<std::string>& args, bool verbatimWords = false) {
    return CommandArguments::Parse(Options, args, verbatimWords);
}

TEST(CommandArguments, OptionsTakeTheirValueFromTheNextWordOrAfterAnEqualsSignAndTheLastOneCounts) {
    const CommandArguments spaced = Parse({"one", "--game", "/srv/cod", "two"});
    EXPECT_EQ(spaced.Value("game"), "/srv/cod");
    EXPECT_EQ(spaced.Words(), (std::vector<std::string>{"one", "two"}));
    // The next word is the value whatever it looks like.
    EXPECT_EQ(Parse({"--game", "--json"}).Value("game"), "--json");
    EXPECT_FALSE(Parse({"--game", "--json"}).IsSet("json"));
    EXPECT_EQ(Parse({"--game=/a=b", "--game", "/last"}).Value("game"), "/last");
    EXPECT_EQ(Parse({"--game="}).Value("game"), "");
    EXPECT_FALSE(Parse({"word"}).Value("game").has_value());
    // An option is set under each of its names.
    EXPECT_TRUE(Parse({"-h"}).IsSet("help"));
    EXPECT_TRUE(Parse({"--help"}).IsSet("h"));
    EXPECT_FALSE(Parse({"--json"}).Value("json").has_value());
}

TEST(CommandArguments, WordsAfterADoubleDashOrAfterTheFirstVerbatimWordAreWords) {
    EXPECT_EQ(Parse({"--", "--json", "-h"}).Words(), (std::vector<std::string>{"--json", "-h"}));
    EXPECT_FALSE(Parse({"--", "--json"}).IsSet("json"));
    const CommandArguments verbatim = Parse({"--json", "say", "--game", "-"}, true);
    EXPECT_TRUE(verbatim.IsSet("json"));
    EXPECT_FALSE(verbatim.IsSet("game"));
    EXPECT_EQ(verbatim.Words(), (std::vector<std::string>{"say", "--game", "-"}));
    // Without it, options count wherever they stand; a lone dash is a word.
    const CommandArguments mixed = Parse({"say", "--json", "-"});
    EXPECT_TRUE(mixed.IsSet("json"));
    EXPECT_EQ(mixed.Words(), (std::vector<std::string>{"say", "-"}));
}

TEST(CommandArguments, ALineItCannotTakeIsAUsageErrorThatSaysWhy) {
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--colour"}, "Unknown option 'colour'."},
        {{"-x"}, "Unknown option 'x'."},
        {{"-hxy"}, "Unknown options: x, y."},
        {{"--colour", "--size=2"}, "Unknown options: colour, size."},
        {{"--game"}, "Missing value after '--game'."},
        {{"--json=yes"}, "Unexpected value after '--json'."},
        // A value that is missing or unexpected says so before any unknown option.
        {{"--colour", "--game"}, "Missing value after '--game'."},
    };
    for (const auto& [args, message] : wrong) {
        try {
            Parse(args);
            ADD_FAILURE() << "taken: " << args.front();
        } catch (const UsageError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

} // namespace
