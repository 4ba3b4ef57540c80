// SPDX-License-Identifier: GPL-3.0-or-later
// Scan Maps without a window: the arena lines, the archives of the game, and the maps file.
#include "maps/MapScan.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/Zip.h"
#include "zip/ZipBuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A scan with its log, reading through a zip component that finds the unzip library of the build.
struct Scan {
    Scan() { zip.LibraryFolder = UnzipLibraryFolder(); }

    ScriptedQuestions questions;
    TZip zip;
    QStringList maps;
    std::vector<std::string> log;
    TMapScan scan{zip, maps, [this](const std::string& line) { log.push_back(line); }};
};

const std::vector<std::string> StockArena = {"{",
                                             "\tmap\t\t\"mp_alpha\"",
                                             "\tlongname\t\"Alpha\"",
                                             "\tgametype\t\"dm tdm\"",
                                             "}",
                                             "{",
                                             "\tmap\t\t\"mp_beta\"",
                                             "\tgametype\t\"sd\"",
                                             "}"};

TEST(MapScan, ArenaLinesGiveOneCatalogueLinePerMapAndGametypeList) {
    Scan scan;
    scan.scan.ReadArena(StockArena);
    EXPECT_EQ(scan.maps, QStringList({"mp_alpha=[dm] [tdm] [bhm]", "mp_beta=[sd] [bhm]"}));
    EXPECT_EQ(scan.log, (std::vector<std::string>{"mp_alpha : found", "mp_beta : found"}));
}

TEST(MapScan, ArenaEdgeCases) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        QStringList maps;
    };
    const std::vector<Case> cases = {
        {"gametype before any map", {"gametype \"dm\""}, {"=[dm] [bhm]"}},
        {"two blanks give empty brackets", {"map \"mp_x\"", "gametype \"dm  sd\""}, {"mp_x=[dm] [] [sd] [bhm]"}},
        {"a comment naming a map", {"// this map is \"great\"", "gametype \"sd\""}, {"great=[sd] [bhm]"}},
        {"no quote: the whole line", {"  mp_y_map  ", "gametype \"sd\""}, {"mp_y_map=[sd] [bhm]"}},
        {"bhm already listed", {"map \"mp_x\"", "gametype \"bhm\""}, {"mp_x=[bhm] [bhm]"}},
        {"duplicates in any case are stored once",
         {"map \"mp_x\"", "gametype \"dm\"", "map \"MP_X\"", "gametype \"DM\"", "gametype \"sd\""},
         {"mp_x=[dm] [bhm]", "MP_X=[sd] [bhm]"}},
        {"keys in capitals are not keys", {"MAP \"mp_x\"", "GAMETYPE \"dm\""}, {}},
    };
    for (const Case& c : cases) {
        Scan scan;
        scan.scan.ReadArena(c.lines);
        EXPECT_EQ(scan.maps, c.maps) << c.what;
    }
}

TEST(MapScan, NamesThatWouldBreakTheCatalogueOrTheCfgAreSkippedWithALogLine) {
    struct Case {
        std::string map;
        std::string gametype;
        std::string log; // empty when the map is taken
    };
    const std::vector<Case> cases = {
        {"mp_a\rmp_forged", "dm", "mp_a\\x0Dmp_forged : skipped, not a valid map name"},
        {std::string("mp_a\0b", 6), "dm", "mp_a\\x00b : skipped, not a valid map name"},
        {"mp_a=[sd]", "dm", "mp_a=[sd] : skipped, not a valid map name"},
        {"mp_a;quit", "dm", "mp_a;quit : skipped, not a valid map name"},
        {"mp a", "dm", "mp a : skipped, not a valid map name"},
        {"mp_\t", "dm", "mp_\\x09 : skipped, not a valid map name"},
        {"mp_\u20AC", "dm", "mp_\\xE2\\x82\\xAC : skipped, not a valid map name"},
        {"mp_x", "dm;quit", "mp_x : skipped, gametype dm;quit is not valid"},
        {"mp_x", "dm ]x", "mp_x : skipped, gametype ]x is not valid"},
        {"mp_caf\u00E9", "dm", ""},
        {"mp_~!", "dm", ""},
    };
    for (const Case& c : cases) {
        Scan scan;
        scan.scan.ReadArena({"map \"" + c.map + "\"", "gametype \"" + c.gametype + "\""});
        if (c.log.empty()) {
            EXPECT_EQ(scan.maps, QStringList({QString::fromStdString(c.map + "=[" + c.gametype + "] [bhm]")}));
            continue;
        }
        EXPECT_TRUE(scan.maps.isEmpty()) << c.log;
        EXPECT_EQ(scan.log, std::vector<std::string>{c.log});
    }
}

TEST(MapScan, CurrentMapCarriesOverToTheNextArenaFile) {
    Scan scan;
    scan.scan.ReadArena({"map \"mp_x\""});
    scan.scan.ReadArena({"gametype \"dm\""});
    EXPECT_EQ(scan.maps, QStringList({"mp_x=[dm] [bhm]"}));
}

std::string Arena(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(MapScan, ArchiveGivesItsArenaMembersInDirectoryOrder) {
    TestFolder folder;
    const std::string archive = folder.Write(
        "pak.pk3",
        MakeZip({{.name = "mp/b.arena", .content = Arena({"map \"mp_b\"", "gametype \"dm\""})},
                 {.name = "maps/mp/mp_b.bsp", .content = "bsp"},
                 {.name = "MP/C.ARENA", .content = Arena({"map \"mp_c\"", "gametype \"dm\""})},
                 {.name = "mp/a.arena", .content = Arena({"map \"mp_a\"", "gametype \"sd\""}), .deflate = true},
                 {.name = "mp/a.arena.txt", .content = Arena({"map \"mp_t\"", "gametype \"sd\""})}}));
    Scan scan;
    scan.scan.ScanArchive(archive);
    EXPECT_EQ(scan.maps, QStringList({"mp_b=[dm] [bhm]", "mp_a=[sd] [bhm]"}));
}

TEST(MapScan, SameArenaNameInTwoArchivesGivesBothTheirOwnMaps) {
    // The later archive's member is older than the file the earlier one left: each is still read itself,
    // and a newer file left in the scratch folder by an earlier scan is not read either.
    TestFolder folder;
    qputenv("TMPDIR", QByteArray::fromStdString(folder.Path()));
    // Another program took the shared name: the scan works in the user's own scratch folder.
    folder.Write("Quendry", "a file of someone else's");
    const std::string first = folder.Write("a.pk3", MakeZip({{.name = "mp/custom.arena",
                                                              .content = Arena({"map \"mp_first\"", "gametype \"dm\""}),
                                                              .date = (2021 - 1980) << 9 | 1 << 5 | 1}}));
    const std::string second =
        folder.Write("b.pk3", MakeZip({{.name = "mp/custom.arena",
                                        .content = Arena({"map \"mp_second\"", "gametype \"sd\""}),
                                        .date = (2001 - 1980) << 9 | 1 << 5 | 1},
                                       {.name = "other/custom.arena",
                                        .content = Arena({"map \"mp_third\"", "gametype \"sd\""}),
                                        .date = (2000 - 1980) << 9 | 1 << 5 | 1}}));
    Scan scan;
    scan.scan.ScanArchive(first);
    scan.scan.ScanArchive(second);
    qunsetenv("TMPDIR");
    EXPECT_EQ(scan.maps, QStringList({"mp_first=[dm] [bhm]", "mp_second=[sd] [bhm]", "mp_third=[sd] [bhm]"}));
}

TEST(MapScan, TheCurrentMapCarriesOverFromOneArchiveToTheNext) {
    TestFolder folder;
    const std::string first =
        folder.Write("a.pk3", MakeZip({{.name = "mp/a.arena", .content = Arena({"map \"mp_a\""})}}));
    const std::string second =
        folder.Write("b.pk3", MakeZip({{.name = "mp/b.arena", .content = Arena({"gametype \"sd\""})}}));
    Scan scan;
    scan.scan.ScanArchive(first);
    scan.scan.ScanArchive(second);
    EXPECT_EQ(scan.maps, QStringList({"mp_a=[sd] [bhm]"}));
}

TEST(MapScan, AnArenaMemberLargerThanAnArenaFileIsSkippedWithALogLine) {
    TestFolder folder;
    // 2 MiB of blanks pack into a few kilobytes: what a decompression bomb looks like, only smaller.
    std::string bomb = Arena({"map \"mp_bomb\"", "gametype \"dm\""});
    bomb.resize(2 * MaxArenaSize, ' ');
    const std::string archive = folder.Write(
        "bomb.pk3", MakeZip({{.name = "mp/bomb.arena", .content = bomb, .deflate = true},
                             {.name = "mp/fine.arena", .content = Arena({"map \"mp_fine\"", "gametype \"sd\""})}}));
    ASSERT_LT(fs::file_size(archive), 100'000u);
    Scan scan;
    EXPECT_EQ(scan.scan.ScanArchive(archive), 1);
    EXPECT_EQ(scan.maps, QStringList({"mp_fine=[sd] [bhm]"}));
    EXPECT_EQ(scan.log, (std::vector<std::string>{"mp\\bomb.arena : skipped, larger than 1 MiB", "mp_fine : found"}));
}

TEST(MapScan, AnArenaMemberIsRefusedByItsDeclaredSizeBeforeItIsExtracted) {
    TestFolder folder;
    // The directory says 2 MiB, the data holds a small arena: only the declared size can refuse it.
    const std::vector<TestMember> members = {
        {.name = "mp/big.arena", .content = Arena({"map \"mp_big\"", "gametype \"dm\""})},
        {.name = "mp/fine.arena", .content = Arena({"map \"mp_fine\"", "gametype \"sd\""})}};
    std::string bytes = MakeZip(members);
    const std::size_t declared = bytes.find("PK\x01\x02") + 24;
    const std::uint32_t size = 2 * MaxArenaSize;
    for (int i = 0; i < 4; ++i)
        bytes[declared + static_cast<std::size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xFF);
    Scan scan;
    int begun = 0;
    scan.zip.OnZEDBeginFileEvent = [&begun](TZip&, const std::string&, std::int32_t, std::int32_t, std::int32_t) {
        ++begun;
    };
    EXPECT_EQ(scan.scan.ScanArchive(folder.Write("big.pk3", bytes)), 1);
    EXPECT_EQ(scan.maps, QStringList({"mp_fine=[sd] [bhm]"}));
    EXPECT_EQ(scan.log, (std::vector<std::string>{"mp\\big.arena : skipped, larger than 1 MiB", "mp_fine : found"}));
    EXPECT_EQ(begun, 1) << "only the fine member goes to the unzip library";
    EXPECT_TRUE(scan.questions.asked.isEmpty()) << scan.questions.asked.join(u'|').toStdString();
}

// A whole scan of a game folder, with the maps file in a program folder of the test's own.
struct GameScan : Scan {
    GameScan() {
        SetProgramFolderOverride(program.Path());
        program.Write("maps.ini", "mp_old=[dm] [bhm]\r\n");
    }
    ~GameScan() { SetProgramFolderOverride(std::nullopt); }
    std::vector<SkippedArchive> Run() {
        return ScanMaps(zip, game.Path(), "BriselaMOD_v2", maps,
                        [this](const std::string& line) { log.push_back(line); });
    }
    TestFolder program;
    TestFolder game;
};

TEST(MapScan, AnUnreadableArchiveIsSkippedWithItsReasonAndTheCatalogueWrittenFromTheRest) {
    GameScan scan;
    scan.game.Write("main/pak0.pk3",
                    MakeZip({{.name = "mp/a.arena", .content = Arena({"map \"mp_a\"", "gametype \"dm\""})}}));
    const std::string broken = scan.game.Write("main/pak1.pk3", "PK this is no zip");
    scan.game.Write("BriselaMOD_v2/mod.pk3", MakeZip({{.name = "readme.txt", .content = "no arena here"}}));
    const std::vector<SkippedArchive> skipped = scan.Run();
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].archive, broken);
    EXPECT_EQ(skipped[0].reason, "\"" + broken + "\" is not a valid Zip file.");
    EXPECT_EQ(scan.log, (std::vector<std::string>{"mp_a : found", broken + " : skipped (" + skipped[0].reason + ")",
                                                  "Scan : 1 maps in 1 of 3 archives"}));
    EXPECT_EQ(scan.program.Read("maps.ini"), "mp_a=[dm] [bhm]\r\n");
}

TEST(MapScan, AScanThatFindsNoMapSaysWhereItLooked) {
    GameScan scan;
    scan.game.Write("BriselaMOD_v2/mod.pk3", MakeZip({{.name = "readme.txt", .content = "no arena here"}}));
    EXPECT_TRUE(scan.Run().empty());
    EXPECT_EQ(scan.log, (std::vector<std::string>{"Scan : 0 maps in 0 of 1 archives",
                                                  "Scan : no map description (.arena) in " + scan.game.File("main") +
                                                      " nor in " + scan.game.File("BriselaMOD_v2")}));
    EXPECT_EQ(scan.program.Read("maps.ini"), "");
}

// The arena files of other Quake-3 games name their gametypes on "type" lines: the scan says it read them.
TEST(MapScan, ArenaFilesWithoutAGametypeLineAreCountedInsteadOfDeniedInTheLog) {
    GameScan scan;
    const std::string other = "{\nmap \"q3dm1\"\ntype \"ffa tourney\"\n}\n";
    scan.game.Write("main/pak0.pk3", MakeZip({{.name = "scripts/a.arena", .content = other},
                                              {.name = "scripts/b.arena", .content = other},
                                              {.name = "scripts/c.arena", .content = other}}));
    EXPECT_TRUE(scan.Run().empty());
    EXPECT_EQ(scan.log, (std::vector<std::string>{"Scan : 0 maps in 0 of 1 archives",
                                                  "Scan : 3 arena files read, none with a gametype line"}));
    // One arena file with a gametype line, though none of its maps is valid, is not a file without one.
    scan.game.Write("main/pak1.pk3", MakeZip({{.name = "mp/d.arena", .content = "map \"a=b\"\ngametype \"dm\"\n"}}));
    scan.log.clear();
    EXPECT_TRUE(scan.Run().empty());
    EXPECT_EQ(scan.log,
              (std::vector<std::string>{"a=b : skipped, not a valid map name", "Scan : 0 maps in 0 of 2 archives"}));
}

TEST(MapScan, AScratchFolderOfAnotherUserStopsTheScanAndKeepsTheCatalogue) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may make a folder that belongs to another user";
    GameScan scan;
    TestFolder temporary;
    qputenv("TMPDIR", QByteArray::fromStdString(temporary.Path()));
    const std::string taken = temporary.File("Quendry-" + std::to_string(::getuid()));
    fs::create_directory(taken);
    ASSERT_EQ(::chown(taken.c_str(), 65534, 65534), 0);
    scan.game.Write("main/pak0.pk3",
                    MakeZip({{.name = "mp/a.arena", .content = Arena({"map \"mp_a\"", "gametype \"dm\""})}}));
    EXPECT_THROW(scan.Run(), ScanError);
    qunsetenv("TMPDIR");
    EXPECT_EQ(scan.program.Read("maps.ini"), "mp_old=[dm] [bhm]\r\n");
}

TEST(MapScan, AMapsFileThatCannotBeWrittenWholeFailsAndKeepsTheOldOne) {
    TestFolder folder;
    const std::string path = folder.Write("maps.ini", "mp_old=[dm] [bhm]\r\n");
    QStringList maps;
    for (int i = 0; i < 1000; ++i)
        maps << QStringLiteral("mp_%1=[dm] [bhm]").arg(i);
    // In a child, so that the limit on file sizes touches nothing else of the test program.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveMapsFile(path, maps);
        } catch (const FileError& error) {
            ::_exit(std::string(error.what()).ends_with("(File too large)") ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: another error";
    EXPECT_EQ(folder.Read("maps.ini"), "mp_old=[dm] [bhm]\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 1) << "no scratch file left";
}

TEST(MapScan, DamagedArchiveRaisesItsErrorAndADamagedMemberIsSkippedAlone) {
    TestFolder folder;
    EXPECT_THROW(Scan().scan.ScanArchive(folder.Write("broken.pk3", "not a zip at all")), ZipException);
    const std::string fine = Arena({"map \"mp_fine\"", "gametype \"sd\""});
    const std::string lying = Arena({"map \"mp_lie\"", "gametype \"dm\""});
    const std::vector<TestMember> members = {{.name = "mp/x.arena", .content = lying},
                                             {.name = "mp/fine.arena", .content = fine}};
    std::string damaged = MakeZip(members);
    damaged[DataOffset(members, 0)] = 'X';
    // The sizes in both of the member's headers say one byte less than its data holds.
    std::string shorter = MakeZip(members);
    for (const std::size_t sizes : {std::size_t{18}, shorter.find("PK\x01\x02") + 20}) {
        shorter[sizes] = static_cast<char>(lying.size() - 1);     // packed
        shorter[sizes + 4] = static_cast<char>(lying.size() - 1); // unpacked
    }
    for (const auto& [name, bytes] : {std::pair{"crc.pk3", damaged}, std::pair{"size.pk3", shorter}}) {
        Scan scan;
        scan.questions.yesNoCancel = {false}; // do not extract the damaged member
        const std::string archive = folder.Write(name, bytes);
        EXPECT_EQ(scan.scan.ScanArchive(archive), 1) << name;
        EXPECT_EQ(scan.maps, QStringList({"mp_fine=[sd] [bhm]"})) << name;
        EXPECT_EQ(scan.log, (std::vector<std::string>{"mp\\x.arena : skipped, the unzip library could not extract it "
                                                      "whole from " +
                                                          archive,
                                                      "mp_fine : found"}))
            << name;
        EXPECT_EQ(scan.questions.asked.size(), 1) << name << ": " << scan.questions.asked.join(u'|').toStdString();
    }
}

TEST(MapScan, ArchivesOfMainThenOfTheModFolderEachInNameOrder) {
    TestFolder game;
    for (const char* file : {"main/pak1.pk3", "main/PAK0.PK3", "main/zz.Pk3", "main/readme.txt", "main/sub/deep.pk3",
                             "mod/b.pk3", "mod/a.pk3"})
        game.Write(file, "x");
    fs::create_directory(game.File("main/folder.pk3"));
    const std::vector<std::string> expected = {game.File("main/PAK0.PK3"), game.File("main/pak1.pk3"),
                                               game.File("main/zz.Pk3"), game.File("mod/a.pk3"),
                                               game.File("mod/b.pk3")};
    EXPECT_EQ(ArchivesToScan(game.Path(), "mod"), expected);
    EXPECT_TRUE(ArchivesToScan(game.Path(), "missing-mod").size() == 3);
    EXPECT_TRUE(ArchivesToScan(game.File("nowhere"), "mod").empty());
}

TEST(MapScan, MapsFileHasOneLineEachEndedByCrLf) {
    TestFolder folder;
    SaveMapsFile(folder.File("maps.ini"), {"mp_a=[dm] [bhm]", "mp_b=[sd] [bhm]"});
    EXPECT_EQ(folder.Read("maps.ini"), "mp_a=[dm] [bhm]\r\nmp_b=[sd] [bhm]\r\n");
    SaveMapsFile(folder.File("maps.ini"), {QStringLiteral("mp_caf\u00E9=[dm] [bhm]")});
    EXPECT_EQ(folder.Read("maps.ini"), "mp_caf\xE9=[dm] [bhm]\r\n") << "a Latin-1 name keeps its single byte";
    SaveMapsFile(folder.File("maps.ini"), {});
    EXPECT_EQ(folder.Read("maps.ini"), "");
}

} // namespace
