// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/CfgLine.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    std::string line;
    CfgLine parsed; // Command, Name, Value, Comment
};

TEST(CfgLineTest, TakesALineApartByItsGrammar) {
    const std::vector<ParseCase> cases = {
        {"seta sv_hostname \"My server\"", {"seta", "sv_hostname", "My server", "seta sv_hostname \"My server\""}},
        {"set g_x \"a\" // keep b", {"set", "g_x", "a", "keep b"}},
        {"set g_x 5 // keep", {"set", "g_x", "5 // keep", "keep"}},
        {"exec server.cfg", {"exec", "server.cfg", "server.cfg", "exec server.cfg"}},
        {"Exec maps/x.cfg", {"Exec", "maps/x.cfg", "maps/x.cfg", "x.cfg"}},
        {"// Section title", {"//", "Section", "title", "Section title"}},
        {"//tight", {"//tight", "//tight", "//tight", "tight"}},
        {"word", {"word", "word", "word", "word"}},
        {" seta x \"1\"", {"", "seta", "x 1", "seta x \"1\""}},
        {"", {"", "", "", ""}},
        {"sets .Admin \"a \"b\" c\"", {"sets", ".Admin", "a b c", "sets .Admin \"a \"b\" c\""}},
    };
    for (const auto& c : cases) {
        const CfgLine parsed = ParseCfgLine(c.line);
        EXPECT_EQ(parsed.Command, c.parsed.Command) << c.line;
        EXPECT_EQ(parsed.Name, c.parsed.Name) << c.line;
        EXPECT_EQ(parsed.Value, c.parsed.Value) << c.line;
        EXPECT_EQ(parsed.Comment, c.parsed.Comment) << c.line;
    }
}

} // namespace
