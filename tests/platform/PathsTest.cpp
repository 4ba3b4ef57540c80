#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct TrimCase {
    const char* input;
    const char* expected;
};

// Names the case by its input, with blanks and control characters made visible.
void PrintTo(const TrimCase& trimCase, std::ostream* out) {
    if (*trimCase.input == '\0')
        *out << "empty";
    for (const char* c = trimCase.input; *c; ++c) {
        if (*c > ' ')
            *out << *c;
        else
            *out << '_' << int(*c);
    }
}

class TrimTrailingBackslashesTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimTrailingBackslashesTest, TrimsBlanksThenEveryTrailingSeparator) {
    EXPECT_EQ(TrimTrailingBackslashes(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimTrailingBackslashesTest,
                         testing::Values(TrimCase{" /games/cod/// ", "/games/cod"}, // blanks, then the separators
                                         TrimCase{"/", "/"},                        // the root keeps its own
                                         TrimCase{"a/ /", "a/ "}, // the blank before the last one stays
                                         TrimCase{"///", "/"}, TrimCase{" \t/// \n", "/"}, TrimCase{"", ""},
                                         TrimCase{"games", "games"}, TrimCase{"\x01games/\x1f", "games"}));

TEST(PathsTest, TempFolderFollowsTmpdirWithoutTrailingSeparator) {
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved ? saved : "";
    setenv("TMPDIR", "/var/tmp/quendry-test//", 1);
    EXPECT_EQ(GetTempFolder(), "/var/tmp/quendry-test");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp");
    if (saved)
        setenv("TMPDIR", savedValue.c_str(), 1);
}

TEST(PathsTest, ProgramFolderIsTheExecutablesFolderUnlessOverridden) {
    const std::string path = GetProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(GetProgramFolder() + "/tests_platform", path);
    SetProgramFolderOverride("/opt/quendry");
    EXPECT_EQ(GetProgramFolder(), "/opt/quendry");
    SetProgramFolderOverride(std::nullopt);
    EXPECT_NE(GetProgramFolder(), "/opt/quendry");
}

TEST(PathsTest, JoinPathPutsOneSeparatorBetween) {
    EXPECT_EQ(JoinPath("/games/cod", "main"), "/games/cod/main");
    EXPECT_EQ(JoinPath("/", "maps.ini"), "/maps.ini");
}

} // namespace
