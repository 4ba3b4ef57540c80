// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedConfig.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace {

struct AdvancedFileCase {
    const char* what;
    std::vector<std::string> lines;
    std::string file;
    std::vector<std::string> log;
};

TEST(AdvancedConfigTest, SavesTheLinesInWindows1252WithCrLfChangingOnlyWhatTheGameWouldMisread) {
    const std::vector<AdvancedFileCase> cases = {
        {"an empty list writes an empty file", {}, "", {"Adavanced cfg : saved"}},
        {"lines unchanged, blank ones included",
         {"// Mine", "", " odd  line ", "seta x \"\u00e9\""},
         "// Mine\r\n\r\n odd  line \r\nseta x \"\xe9\"\r\n",
         {"Adavanced cfg : saved"}},
        {"a lost character is logged by line",
         {"a", "set y \"\u20ac\u2603\""},
         "a\r\nset y \"\x80?\"\r\n",
         {"advanced.cfg line 2 : character written as ?", "Adavanced cfg : saved"}},
        {"each line stays one line of the file, whatever it holds",
         {"seta a \"1\"\r\nseta rcon_password \"x\"", std::string("b\0c\td", 5), "// n\no"},
         "seta a \"1'  seta rcon_password 'x\"\r\nb c d\r\n// n o\r\n",
         {"advanced.cfg line 1 : double quote written as '",
          "advanced.cfg line 1 : control character written as a blank",
          "advanced.cfg line 2 : control character written as a blank",
          "advanced.cfg line 3 : control character written as a blank", "Adavanced cfg : saved"}},
        {"a quote inside a setting's value cannot end it; other lines keep theirs",
         {"seta sv_hostname \"a \"quoted\" name\"", "seta x \"\"", "// \"as typed\"", "exec \"my.cfg\"",
          "say \"hi\" \"there\""},
         "seta sv_hostname \"a 'quoted' name\"\r\nseta x \"\"\r\n// \"as typed\"\r\nexec \"my.cfg\"\r\n"
         "say \"hi\" \"there\"\r\n",
         {"advanced.cfg line 1 : double quote written as '", "Adavanced cfg : saved"}},
        {"a value followed by a comment or a second command is written as typed",
         {"seta scr_friendlyfire \"1\" // was \"0\"", "set a \"1\"; set b \"2\"", "seta x \"a\"//\"b\"",
          "sets .Admin \"Bob \"the\" admin\""},
         "seta scr_friendlyfire \"1\" // was \"0\"\r\nset a \"1\"; set b \"2\"\r\nseta x \"a\"//\"b\"\r\n"
         "sets .Admin \"Bob 'the' admin\"\r\n",
         {"advanced.cfg line 4 : double quote written as '", "Adavanced cfg : saved"}},
    };
    for (const auto& c : cases) {
        TestFolder folder;
        folder.Write("game/mod/keep", "");
        folder.Write("game/mod/advanced.cfg", "old content");
        std::vector<std::string> log;
        WriteAdvancedConfig(c.lines, folder.File("game"), "mod", Instance(),
                            [&](const std::string& line) { log.push_back(line); });
        EXPECT_EQ(folder.Read("game/mod/advanced.cfg"), c.file) << c.what;
        EXPECT_EQ(log, c.log) << c.what;
    }
}

TEST(AdvancedConfigTest, AMissingModFolderIsAnErrorAndNothingIsLoggedAsSaved) {
    TestFolder folder;
    std::vector<std::string> log;
    EXPECT_THROW(WriteAdvancedConfig({"a"}, folder.File("game"), "mod", Instance(),
                                     [&](const std::string& line) { log.push_back(line); }),
                 std::runtime_error);
    EXPECT_TRUE(log.empty());
}

// A line is looked at eight bytes at a time: a control character is found wherever it stands, and only it.
TEST(AdvancedConfigTest, AControlCharacterIsWrittenAsABlankWhereverItStandsInTheLine) {
    struct Case {
        std::string character;
        std::string written;
        bool control;
    };
    const Case cases[] = {
        {std::string(1, '\0'), " ", true},
        {"\x01", " ", true},
        {"\t", " ", true},
        {"\x1F", " ", true},
        {"\x7F", " ", true},
        {" ", " ", false},
        {"~", "~", false},
        {"\xC3\xA9", "\xE9", false},
    };
    for (const Case& c : cases)
        for (std::size_t before = 0; before <= 17; ++before) {
            TestFolder folder;
            folder.Write("game/mod/keep", "");
            const std::string ascii(before, 'a');
            std::vector<std::string> log;
            WriteAdvancedConfig({ascii + c.character + "bcdefghij"}, folder.File("game"), "mod", Instance(),
                                [&](const std::string& line) { log.push_back(line); });
            EXPECT_EQ(folder.Read("game/mod/advanced.cfg"), ascii + c.written + "bcdefghij\r\n") << before;
            std::vector<std::string> expected;
            if (c.control)
                expected.push_back("advanced.cfg line 1 : control character written as a blank");
            expected.push_back("Adavanced cfg : saved");
            EXPECT_EQ(log, expected) << before;
        }
}

} // namespace
