// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/GamePort.h"

#include <gtest/gtest.h>

namespace {

TEST(GamePortTest, TheLastValidNetPortLineWinsAndTheGameDefaultStandsOtherwise) {
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{}, 28960},
        {{"// Voting", "seta g_allowvote \"1\""}, 28960},
        {{"set net_port 28961"}, 28961},
        {{"seta net_port \"28962\""}, 28962},
        {{"  SETA   Net_Port   28963  "}, 28963},
        {{"set net_port 28961", "sets net_port 28964"}, 28964},
        {{"set net_port 28961", "set net_port 70000", "set net_port abc", "set net_port \"\""}, 28961},
        {{"// set net_port 28965", "set net_portal 28966", "setx net_port 28967", "set net_port"}, 28960},
        {{"set net_port 0"}, 28960},
    };
    for (const auto& [lines, port] : cases)
        EXPECT_EQ(GamePortOf(lines), port) << (lines.empty() ? "" : lines.back());
}

TEST(GamePortTest, AVariableTakesTheValueOfTheLastLineThatSetsIt) {
    const std::vector<std::pair<std::vector<std::string>, std::optional<std::string>>> cases = {
        {{}, std::nullopt},
        {{"seta g_password \"x\""}, std::nullopt},
        {{"set rcon_password secret"}, "secret"},
        {{"SETA RCON_PASSWORD \"two words\" // the admins' one"}, "two words"},
        {{"set rcon_password first", "sets rcon_password \"\""}, ""},
        {{"set rcon_password a b  c"}, "a b c"},
        {{"set rcon_password kept", "set rcon_password", "// set rcon_password no", "set rcon_passwords no"}, "kept"},
    };
    for (const auto& [lines, value] : cases)
        EXPECT_EQ(CvarSetBy(lines, "rcon_password"), value) << (lines.empty() ? "" : lines.back());
}

} // namespace
