// Scan Maps without a window: the arena lines, the archives of the game, and the maps file.
#include "maps/MapScan.h"

#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/Zip.h"
#include "zip/ZipBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

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
        {"both keys on one line", {"map \"mp_x\" gametype \"dm\""}, {"mp_x gametype dm=[mp_x] [gametype] [dm] [bhm]"}},
        {"a comment naming a map", {"// this map is \"great\"", "gametype \"sd\""}, {"great=[sd] [bhm]"}},
        {"no quote: the whole line", {"  map mp_y  ", "gametype \"sd\""}, {"map mp_y=[sd] [bhm]"}},
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
    folder.Write("Quendry/custom.arena", Arena({"map \"mp_stale\"", "gametype \"dm\""}));
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

TEST(MapScan, DamagedArchiveRaisesItsError) {
    TestFolder folder;
    Scan scan;
    EXPECT_THROW(scan.scan.ScanArchive(folder.Write("broken.pk3", "not a zip at all")), ZipException);
    std::string damaged = MakeZip({{.name = "mp/x.arena", .content = Arena({"map \"mp_x\"", "gametype \"dm\""})}});
    damaged[DataOffset({{.name = "mp/x.arena", .content = ""}}, 0)] = 'X';
    scan.questions.yesNoCancel = {false}; // do not extract the damaged member
    EXPECT_THROW(scan.scan.ScanArchive(folder.Write("crc.pk3", damaged)), std::runtime_error);
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
    SaveMapsFile(folder.File("maps.ini"), {});
    EXPECT_EQ(folder.Read("maps.ini"), "");
}

} // namespace
