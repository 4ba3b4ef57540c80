// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/StandardConfig.h"

#include "support/StandardValues.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

constexpr std::string_view FirstValuesFile = "// Allowed weapons settings\r\n"
                                             "seta scr_allow_enfield \"0\"\r\n"
                                             "seta scr_allow_kar98k \"0\"\r\n"
                                             "seta scr_allow_nagant \"0\"\r\n"
                                             "seta scr_allow_m1carbine \"0\"\r\n"
                                             "seta scr_allow_m1garand \"0\"\r\n"
                                             "seta scr_allow_sten \"0\"\r\n"
                                             "seta scr_allow_mp40 \"0\"\r\n"
                                             "seta scr_allow_thompson \"0\"\r\n"
                                             "seta scr_allow_ppsh \"0\"\r\n"
                                             "seta scr_allow_bar \"0\"\r\n"
                                             "seta scr_allow_bren \"0\"\r\n"
                                             "seta scr_allow_mp44 \"0\"\r\n"
                                             "seta scr_allow_springfield \"0\"\r\n"
                                             "seta scr_allow_nagantsniper \"0\"\r\n"
                                             "seta scr_allow_kar98ksniper \"0\"\r\n"
                                             "seta scr_allow_fg42 \"0\"\r\n"
                                             "seta scr_allow_panzerfaust \"0\"\r\n"
                                             "\r\n"
                                             "// Grenade settings\r\n"
                                             "seta prm_rifle_nades \"1\"\r\n"
                                             "seta prm_mg_nades \"1\"\r\n"
                                             "seta prm_sniper_nades \"1\"\r\n"
                                             "\r\n"
                                             "// Gameplay settings\r\n"
                                             "seta scr_killcam \"0\"\r\n"
                                             "seta scr_freelook \"0\"\r\n"
                                             "seta scr_spectateenemy \"0\"\r\n"
                                             "seta scr_teambalance \"0\"\r\n"
                                             "seta scr_drawfriend \"0\"\r\n"
                                             "seta scr_friendlyfire \"0\"\r\n"
                                             "\r\n"
                                             "// Clan settings\r\n"
                                             "seta prm_clanTags \"\"\r\n"
                                             "seta prm_clanTeam \"\"\r\n"
                                             "seta prm_clanVote \"0\"\r\n"
                                             "\r\n"
                                             "// Fx and realistic effects settings\r\n"
                                             "seta prm_bleeding \"0\"\r\n"
                                             "seta prm_dropHealthpacks \"0\"\r\n"
                                             "seta prm_hitKnockdown \"0\"\r\n"
                                             "seta prm_damageDropOff \"0\"\r\n"
                                             "seta prm_realscore \"0\"\r\n"
                                             "seta sv_shellshock \"2\"\r\n"
                                             "seta prm_mg42onfire \"0\"\r\n"
                                             "seta prm_fog_type \"2\"\r\n"
                                             "seta prm_num_stukas \"0\"\r\n"
                                             "seta bam_mortar_on \"0\"\r\n"
                                             "\r\n"
                                             "// Fog effects settings\r\n"
                                             "seta prm_fog_red \"255\"\r\n"
                                             "seta prm_fog_green \"255\"\r\n"
                                             "seta prm_fog_blue \"255\"\r\n"
                                             "seta prm_fog_distance \"3000\"\r\n"
                                             "seta prm_fog_density \"0.001\"\r\n"
                                             "\r\n"
                                             "// Infos server settings\r\n"
                                             "seta sv_hostname \"\"\r\n"
                                             "seta scr_motd \"\"\r\n"
                                             "sets .Admin \"\"\r\n"
                                             "sets .Email \"\"\r\n"
                                             "sets .Location \"\"\r\n"
                                             "\r\n"
                                             "// Msg settings\r\n"
                                             "seta prm_delay \"30\"\r\n"
                                             "\r\n"
                                             "// Password settings\r\n"
                                             "seta g_password \"\"\r\n"
                                             "\r\n"
                                             "// Maps Rotation\r\n"
                                             "seta sv_mapRotationCurrent \"\"\r\n"
                                             "seta sv_mapRotation \"map mp_x\"\r\n"
                                             "seta g_gametype \"dm\"\r\n"
                                             "map_rotate\r\n";

std::vector<std::string> Texts(const OptionValues& values) {
    std::vector<std::string> texts;
    for (const auto& line : ComposeStandardConfig(values, [](const std::string&) {}))
        texts.push_back(line.text);
    return texts;
}

class StandardConfigFileTest : public testing::Test {
protected:
    // Writes the file into <folder>/game/mod and returns its bytes.
    std::string Write(const OptionValues& values) {
        folder.Write("game/mod/keep", "");
        WriteStandardConfig(values, folder.File("game"), "mod", Instance(),
                            [this](const std::string& line) { log.push_back(line); });
        return folder.Read("game/mod/standard.cfg");
    }

    TestFolder folder;
    std::vector<std::string> log;
};

TEST_F(StandardConfigFileTest, FirstValuesGiveTheCompleteFileByteForByte) {
    const std::string file = Write(FirstStandardValues());
    EXPECT_EQ(file, FirstValuesFile);
    EXPECT_EQ(std::ranges::count(file, '\n'), 74);
    auto expectedLog = StandardSectionLog();
    expectedLog.push_back("Standard cfg : saved");
    EXPECT_EQ(log, expectedLog);
}

TEST_F(StandardConfigFileTest, ACharacterOutsideWindows1252IsWrittenAsQuestionMarkAndLogged) {
    auto values = FirstStandardValues();
    values.texts["sv_hostname"] = "Caf\u00e9 \u2603";
    values.lines["MsgMemo"] = {"ok", "\u65e5"};
    const std::string file = Write(values);
    EXPECT_NE(file.find("seta sv_hostname \"Caf\xe9 ?\"\r\n"), std::string::npos);
    EXPECT_NE(file.find("seta prm_message2 \"?\"\r\n"), std::string::npos);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"sv_hostname : character written as ?", "prm_message2 : character written as ?",
                                        "Standard cfg : saved"}));
}

TEST_F(StandardConfigFileTest, NoValueCanAddALineOrEndItsQuotesEarly) {
    auto values = FirstStandardValues();
    values.texts["sv_hostname"] = "ab\rseta rcon_password \"x\"";
    values.texts["scr_motd"] = "hi\r\n\tthere\x7f";
    values.texts["g_password"] = std::string("se\0cret\"; quit", 14);
    values.texts["Admin"] = "\"Bob\"";
    values.lines["MsgMemo"] = {"one\ntwo"};
    const std::string file = Write(values);
    EXPECT_EQ(std::ranges::count(file, '\n'), 75); // the 74 lines of the first values and one message
    EXPECT_EQ(std::ranges::count(file, '\r'), 75);
    EXPECT_EQ(file.find("\nseta rcon_password"), std::string::npos);
    for (const char* line :
         {"seta sv_hostname \"ab seta rcon_password 'x'\"\r\n", "seta scr_motd \"hi   there \"\r\n",
          "seta g_password \"se cret'; quit\"\r\n", "sets .Admin \"'Bob'\"\r\n", "seta prm_message1 \"one two\"\r\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
    const std::vector<std::string> changes(log.end() - 8, log.end() - 1);
    EXPECT_EQ(changes, (std::vector<std::string>{
                           "sv_hostname : double quote written as '",
                           "sv_hostname : control character written as a blank",
                           "scr_motd : control character written as a blank",
                           "Admin : double quote written as '",
                           "prm_message1 : control character written as a blank",
                           "g_password : double quote written as '",
                           "g_password : control character written as a blank",
                       }));
}

TEST_F(StandardConfigFileTest, ADensityIsWrittenWithAPointWhateverTheSeparator) {
    for (const char* density : {"0,0025", "0.0025", "0\u066b0025"}) {
        auto values = FirstStandardValues();
        values.texts["prm_fog_density"] = density;
        EXPECT_NE(Write(values).find("seta prm_fog_density \"0.0025\"\r\n"), std::string::npos) << density;
    }
}

TEST_F(StandardConfigFileTest, AMissingModFolderFailsWithTheFileCreationErrorAndLogsNoSave) {
    const std::string path = folder.File("game/absent/standard.cfg");
    try {
        WriteStandardConfig(FirstStandardValues(), folder.File("game"), "absent", Instance(),
                            [this](const std::string& line) { log.push_back(line); });
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible de créer le fichier " + path + " (No such file or directory)");
    }
    EXPECT_EQ(log, StandardSectionLog());
}

// A change of the first values and the line that must stand in the file in place of the first one.
struct ValueCase {
    const char* what;
    std::function<void(OptionValues&)> change;
    std::string line;
};

TEST(StandardConfigComposeTest, EachValueIsWrittenByTheRuleOfItsControl) {
    const std::vector<ValueCase> cases = {
        {"density with a comma", [](auto& v) { v.texts["prm_fog_density"] = "0,0025"; },
         "seta prm_fog_density \"0.0025\""},
        {"other fog texts as typed", [](auto& v) { v.texts["prm_fog_distance"] = "3,5e3"; },
         "seta prm_fog_distance \"3,5e3\""},
        {"a double quote cannot end the value", [](auto& v) { v.texts["sv_hostname"] = "My \"best\" server"; },
         "seta sv_hostname \"My 'best' server\""},
        {"info line", [](auto& v) { v.texts["Email"] = "a@b.c"; }, "sets .Email \"a@b.c\""},
        {"no friendly-fire item", [](auto& v) { v.numbers["scr_friendlyfire"] = -1; }, "seta scr_friendlyfire \"-1\""},
        {"chosen drop-down item", [](auto& v) { v.texts["prm_clanTeam"] = "axis"; }, "seta prm_clanTeam \"axis\""},
        {"spin edit value", [](auto& v) { v.numbers["prm_delay"] = 120; }, "seta prm_delay \"120\""},
        {"three-map rotation",
         [](auto& v) {
             v.lines["ListBoxSelectedMaps"] = {"mp_a", "mp_b", "mp_c"};
         },
         "seta sv_mapRotation \"map mp_a map mp_b map mp_c\""},
        {"shell shock ticked", [](auto& v) { v.ticked["sv_shellshock"] = true; }, "seta sv_shellshock \"1\""},
    };
    const auto first = Texts(FirstStandardValues());
    for (const auto& c : cases) {
        auto values = FirstStandardValues();
        c.change(values);
        const auto texts = Texts(values);
        ASSERT_EQ(texts.size(), first.size()) << c.what;
        std::vector<std::string> changed;
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i] != first[i])
                changed.push_back(texts[i]);
        EXPECT_EQ(changed, std::vector<std::string>{c.line}) << c.what;
    }
}

TEST(StandardConfigComposeTest, EveryTickedCheckBoxWritesOneAndOnlyCheckBoxLinesChange) {
    auto values = FirstStandardValues();
    for (auto& [name, ticked] : values.ticked)
        ticked = true;
    const auto first = Texts(FirstStandardValues());
    const auto texts = Texts(values);
    ASSERT_EQ(texts.size(), first.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == first[i])
            continue;
        ++changed;
        EXPECT_TRUE(texts[i].ends_with(" \"1\"")) << texts[i];
        const std::string name = texts[i].substr(5, texts[i].find(' ', 5) - 5);
        EXPECT_TRUE(values.ticked.contains(name)) << texts[i];
    }
    EXPECT_EQ(changed, values.ticked.size());
}

TEST(StandardConfigComposeTest, MessagesKeepTheirLineNumbersAndAreWrittenUntrimmed) {
    auto values = FirstStandardValues();
    values.lines["MsgMemo"] = {"Hello", "", "  ^1Bye ", " \t", "last"};
    const auto texts = Texts(values);
    const auto delay = std::ranges::find(texts, "seta prm_delay \"30\"");
    ASSERT_NE(delay, texts.end());
    EXPECT_EQ(std::vector<std::string>(delay + 1, delay + 5),
              (std::vector<std::string>{"seta prm_message1 \"Hello\"", "seta prm_message3 \"  ^1Bye \"",
                                        "seta prm_message5 \"last\"", ""}));
}

TEST(StandardConfigComposeTest, AValueMissingFromTheWindowsIsAProgrammingError) {
    auto values = FirstStandardValues();
    values.texts.erase("g_password");
    EXPECT_THROW(ComposeStandardConfig(values, [](const std::string&) {}), std::logic_error);
}

} // namespace
