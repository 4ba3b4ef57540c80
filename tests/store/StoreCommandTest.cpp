// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/StoreCommand.h"
#include "store/ResourcesMaker.h"

#include "StoreTestSupport.h"
#include "support/TestFolder.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// One run of the command: its result and what it printed.
struct TRun {
    int result;
    std::string out;
    std::string err;
};

TRun RunStore(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int result = RunStoreCommand(args, out, err);
    return {result, out.str(), err.str()};
}

TEST(StoreCommandTest, WrongCommandLinesPrintTheUsage) {
    const std::vector<std::vector<std::string>> wrong{
        {},
        {"list"},
        {"list", "a", "b"},
        {"add", "a"},
        {"add", "a", "b", "c", "d"},
        {"extract", "a", "b"},
        {"delete", "a"},
        {"pack", "a"},
    };
    for (const auto& args : wrong) {
        const TRun run = RunStore(args);
        EXPECT_EQ(run.result, 2) << args.size();
        EXPECT_NE(run.err.find("quendry_store_tool extract ARCHIVE NAME FOLDER"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST(StoreCommandTest, AddListExtractAndDeleteWorkOnOneArchive) {
    TestFolder folder;
    const std::string archive = folder.File("data.bin");
    const std::string text = SampleText(10'000);
    const std::string pk3 = folder.Write("PRM_5.pk3", text);
    const std::string empty = folder.Write("empty.cfg", "");

    EXPECT_EQ(RunStore({"add", archive, pk3, "BriselaMOD_v2\\PRM_5.pk3"}).result, 0);
    EXPECT_EQ(RunStore({"add", archive, empty}).result, 0);
    const std::string replacement = folder.Write("second.pk3", "second");
    EXPECT_EQ(RunStore({"add", archive, replacement, "briselamod_v2\\prm_5.PK3"}).result, 0) << "replaces";

    TRun list = RunStore({"list", archive});
    EXPECT_EQ(list.result, 0);
    const std::string emptyName = [&] {
        std::string name = empty;
        std::replace(name.begin(), name.end(), '/', '\\');
        return name;
    }();
    {
        TResourcesMaker store(archive, "");
        const std::string packed = std::to_string(store.PackedSize(1));
        EXPECT_EQ(list.out, emptyName + "\t0\t0\t0%\tArchive\n" + "briselamod_v2\\prm_5.PK3\t6\t" + packed + "\t" +
                                store.GetExtraInfos(1).RatioText + "\tArchive\n");
    }

    EXPECT_EQ(RunStore({"extract", archive, "BRISELAMOD_V2\\PRM_5.PK3", folder.File("game/mod")}).result, 0);
    EXPECT_EQ(folder.Read("game/mod/PRM_5.PK3"), "second");
    EXPECT_EQ(RunStore({"delete", archive, emptyName}).result, 0);
    list = RunStore({"list", archive});
    EXPECT_EQ(list.out.find(emptyName), std::string::npos);
    EXPECT_NE(list.out.find("prm_5.PK3"), std::string::npos);
}

TEST(StoreCommandTest, ErrorsGoToTheErrorStreamWithAFailure) {
    TestFolder folder;
    const std::string archive = folder.File("data.bin");
    struct ErrorCase {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string plain = folder.Write("plain.txt", "no store in here");
    const std::string missingArchive = "Impossible d'ouvrir le fichier " + archive + " (No such file or directory)\n";
    const std::vector<ErrorCase> cases{
        // Looking into an archive never makes one.
        {{"list", archive}, missingArchive},
        {{"extract", archive, "missing.txt", folder.Path()}, missingArchive},
        {{"list", plain}, plain + ": not a resource store\n"},
        {{"extract", plain, "a.txt", folder.Path()}, plain + ": not a resource store\n"},
        {{"delete", archive, "missing.txt"}, "La ressource n'existe pas (missing.txt)\n"},
        {{"extract", archive, "missing.txt", folder.Path()}, "La ressource n'existe pas (missing.txt)\n"},
        {{"add", archive, folder.File("absent.txt"), "a.txt"},
         "Impossible d'ouvrir le fichier " + folder.File("absent.txt") + " (No such file or directory)\n"},
    };
    for (const auto& [args, message] : cases) {
        const TRun run = RunStore(args);
        EXPECT_EQ(run.result, 1) << args[0];
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(folder.Read(plain), "no store in here");
    EXPECT_EQ(RunStore({"create", plain}).result, 0);
    EXPECT_EQ(RunStore({"list", plain}).out, "");
    EXPECT_EQ(folder.Read(plain).substr(0, 16), "no store in here");
    EXPECT_EQ(fs::file_size(plain), 16u + 28u);
}

TEST(StoreCommandTest, ShippedArchivesHoldTheDefaultsAndTheModFiles) {
    TestFolder folder;
    const std::string defaults = JoinPath(QUENDRY_BINARY_DIR, "default.bin");
    // The shipped files are copied so that a running program beside them is never disturbed.
    fs::copy_file(defaults, folder.File("default.bin"));
    fs::copy_file(JoinPath(QUENDRY_BINARY_DIR, "data.bin"), folder.File("data.bin"));
    {
        TResourcesMaker store(folder.File("default.bin"), "");
        ASSERT_EQ(store.Count(), 1);
        store.ExtractResource(folder.Path(), "default.ini", false, epFileNameOnly);
    }
    const std::string ini = folder.Read("default.ini");
    EXPECT_EQ(ini, ReadWholeFile(JoinPath(QUENDRY_SOURCE_DIR, "data/default.ini")));
    std::vector<std::string> sections;
    for (std::size_t at = ini.find('['); at != std::string::npos; at = ini.find("\r\n[", at + 1))
        sections.push_back(ini.substr(ini.find('[', at), ini.find(']', at) - ini.find('[', at) + 1));
    EXPECT_EQ(sections, (std::vector<std::string>{"[MainForm]", "[MainFormdedicated]", "[MainFormListBoxCfg]",
                                                  "[MainFormprm_clanTeam]", "[MainFormListBoxSelectedMaps]",
                                                  "[MainFormg_gametype]", "[FogForm]", "[MsgFormMsgMemo]"}));
    EXPECT_NE(ini.find("[MainFormdedicated]\r\nL0=None\r\nL1=Local\r\nL2=Internet\r\nItemIndex=2\r\n"),
              std::string::npos);
    EXPECT_NE(ini.find("L0=dm\r\nL1=tdm\r\nL2=sd\r\nL3=re\r\nL4=bel\r\nL5=hq\r\nL6=bhm\r\nItemIndex=0\r\n"),
              std::string::npos);
    EXPECT_EQ(ini.find('\n'), ini.find("\r\n") + 1);
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), std::count(ini.begin(), ini.end(), '\r'));

    std::size_t modFiles = 0;
    for (const auto& entry : fs::directory_iterator(JoinPath(QUENDRY_SOURCE_DIR, "data/mod")))
        modFiles += entry.path().filename() != "README.md" && entry.path().filename() != ".gitkeep";
    TResourcesMaker store(folder.File("data.bin"), "");
    EXPECT_EQ(static_cast<std::size_t>(store.Count()), modFiles);
    for (int i = 0; i < store.Count(); ++i)
        EXPECT_EQ(store.ResourceName(i).rfind("BriselaMOD_v2\\", 0), 0u) << store.ResourceName(i);
}

TEST(StoreCommandTest, ARunningProgramListsAndExtractsTheStoreItCarries) {
    TestFolder folder;
    const std::string tool = folder.File("tool");
    fs::copy_file(QUENDRY_STORE_TOOL, tool);
    folder.Write("member.txt", "carried by the program");
    TResourcesMaker(tool, "").AddResource(folder.File("member.txt"), "member.txt", false);
    const auto size = fs::file_size(tool);

    const std::string run = tool + " list " + tool + " > " + folder.File("list.txt") + " && " + tool + " extract " +
                            tool + " member.txt " + folder.File("out");
    ASSERT_EQ(std::system(run.c_str()), 0);
    EXPECT_EQ(folder.Read("list.txt").substr(0, 14), "member.txt\t22\t");
    EXPECT_EQ(folder.Read("out/member.txt"), "carried by the program");
    const std::string add =
        tool + " add " + tool + " " + folder.File("member.txt") + " other.txt 2> " + folder.File("err.txt");
    EXPECT_NE(std::system(add.c_str()), 0);
    EXPECT_EQ(folder.Read("err.txt"), "L'archive est ouverte en lecture seule (" + tool + ")\n");
    EXPECT_EQ(fs::file_size(tool), size);
}

} // namespace
