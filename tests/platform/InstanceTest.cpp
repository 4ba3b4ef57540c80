// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Instance.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstanceTest, ANameIsOneToThirtyTwoLettersDigitsHyphensOrUnderscores) {
    const struct {
        std::string name;
        bool valid;
    } cases[] = {
        {"clan", true},    {"Public_2", true},
        {"-", true},       {std::string(32, 'z'), true},
        {"", false},       {std::string(33, 'z'), false},
        {"clan.2", false}, {"a b", false},
        {"../x", false},   {"caf\xc3\xa9", false},
        {"clan/", false},  {std::string("a\0b", 3), false},
    };
    for (const auto& [name, valid] : cases) {
        const auto instance = Instance::Named(name);
        EXPECT_EQ(instance.has_value(), valid) << name;
        if (instance) {
            EXPECT_EQ(instance->Name(), name);
        }
    }
}

TEST(InstanceTest, AnInstancesFilesCarryItsNameAndThePlainOnesKeepTheirOwn) {
    const Instance plain;
    const Instance clan = *Instance::Named("clan");
    EXPECT_TRUE(plain.IsPlain());
    EXPECT_FALSE(clan.IsPlain());
    EXPECT_EQ(plain.FileName("server", ".pid"), "server.pid");
    EXPECT_EQ(clan.FileName("server", ".pid"), "server-clan.pid");
    EXPECT_EQ(clan.FileName("quendry", ".ini"), "quendry-clan.ini");
    EXPECT_EQ(plain.Label(), "(plain)");
    EXPECT_EQ(clan.Label(), "clan");

    // Only names that FileName makes lead back to an instance.
    EXPECT_EQ(Instance::OfFileName("server.pid", "server", ".pid"), plain);
    EXPECT_EQ(Instance::OfFileName("server-clan.pid", "server", ".pid"), clan);
    EXPECT_EQ(Instance::OfFileName("server--.pid", "server", ".pid"), Instance::Named("-"));
    for (const char* other :
         {"server.log", "server-.pid", "serverclan.pid", "server-a.b.pid", "server.pid.part", "xserver.pid",
          "server-"
          "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.pid"})
        EXPECT_EQ(Instance::OfFileName(other, "server", ".pid"), std::nullopt) << other;
}

} // namespace
