// SPDX-License-Identifier: GPL-3.0-or-later
// Scan Maps over 20 archives of 2 000 members each (stock-style arena files among textures and sounds) with
// `quendry scan`, against Info-ZIP's `unzip -l` and `unzip -p` of the arena files over the same 20 files; Scan Maps
// over 200 small archives (a map's own: its arena file among a few others) against Python's zipfile reading the
// same arena members, in turns; all as whole processes in processor time. And the listing of the maps of one
// gametype from a catalogue of 80 000 lines, in this process. Goals: the large scan at most the time of the unzip
// runs, the small one at most 0.6 times Python's, the listing under 50 ms of processor time (its wall time is
// printed too: on a busy machine it mostly measures the wait for a core).
#include "BenchSupport.h"

#include "support/ProgramCopy.h"

#include "maps/Rotation.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"

#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr int ArchiveCount = 20;
constexpr int MembersPerArchive = 2000;
constexpr int ArenasPerArchive = 8;
constexpr int CatalogueLines = 80000;
constexpr int SmallArchiveCount = 200;
constexpr int MembersPerSmallArchive = 12;
constexpr int Rounds = 5;
constexpr int SmallRounds = 11;
constexpr double GoalScanRatio = 1.0;
constexpr double GoalSmallScanRatio = 0.6;
constexpr double GoalListingMilliseconds = 50.0;

std::string ArenaText(int archive, int arena) {
    std::string text;
    for (int map = 0; map < 3; ++map) {
        const std::string name =
            "mp_a" + std::to_string(archive) + "_" + std::to_string(arena) + "_" + std::to_string(map);
        text +=
            "{\r\n\tmap\t\t\"" + name + "\"\r\n\tlongname\t\"" + name + "\"\r\n\tgametype\t\"dm tdm sd re\"\r\n}\r\n";
    }
    return text;
}

// Reads every arena member of the archives named on its command line, as a script would with Python's zipfile.
const char* const PythonArenaReader = "import sys, zipfile\n"
                                      "for path in sys.argv[1:]:\n"
                                      "    with zipfile.ZipFile(path) as archive:\n"
                                      "        for name in archive.namelist():\n"
                                      "            if name.endswith('.arena'):\n"
                                      "                archive.read(name)\n";

// A game folder of its own, with the archives `count` archives of `members` members each, `arenas` of them arena
// files, spread over each archive.
struct TBenchGame {
    TBenchGame(int count, int members, int arenas)
        : folder(QString::fromStdString(JoinPath(GetTempFolder(), "quendry-bench-XXXXXX"))) {
        const std::string main = JoinPath(Path(), "main");
        fs::create_directories(main);
        std::ofstream(JoinPath(Path(), "CoDMP.exe"));
        const std::string filler(2000, 't');
        for (int a = 0; a < count; ++a) {
            const std::string archive = JoinPath(main, "pak" + std::to_string(100 + a) + ".pk3");
            WriteStoredArchive(archive, members, [&](int i) {
                if (i % (members / arenas) == 0)
                    return TBenchMember{"scripts/mp_" + std::to_string(i) + ".arena", ArenaText(a, i)};
                return TBenchMember{"textures/some/folder/texture_" + std::to_string(i) + ".jpg", filler};
            });
            archives.push_back(archive);
        }
    }
    std::string Path() const { return folder.path().toStdString(); }

    QTemporaryDir folder;
    std::vector<std::string> archives;
};

} // namespace

int main() {
    const TBenchGame game(ArchiveCount, MembersPerArchive, ArenasPerArchive);
    const TBenchGame small(SmallArchiveCount, MembersPerSmallArchive, 1);
    // The program runs from a folder of its own, so that its catalogue goes there.
    const QTemporaryDir program(QString::fromStdString(JoinPath(GetTempFolder(), "quendry-bench-XXXXXX")));
    const std::string executable = JoinPath(program.path().toStdString(), "quendry");
    CopyProgram(program.path().toStdString());
    fs::copy_file(QUENDRY_UNZDLL, JoinPath(program.path().toStdString(), fs::path(QUENDRY_UNZDLL).filename()));
    const auto scan = MedianOfRuns(Rounds, [&] {
        return ProcessorMilliseconds({executable, "scan", "--game", game.Path()});
    });
    const auto unzip = MedianOfRuns(Rounds, [&] {
        std::optional<double> sum = 0.0;
        for (const std::string& archive : game.archives) {
            const auto list = ProcessorMilliseconds({"unzip", "-l", archive});
            const auto extract = ProcessorMilliseconds({"unzip", "-p", archive, "*.arena"});
            sum = list && extract && sum ? std::optional<double>(*sum + *list + *extract) : std::nullopt;
        }
        return sum;
    });
    const qsizetype found = ReadIniLines(program.path() + QStringLiteral("/maps.ini")).size();
    // Debian's own Python, which `make bench` installs, started directly.
    std::vector<std::string> python = {"/usr/bin/python3", "-c", PythonArenaReader};
    python.insert(python.end(), small.archives.begin(), small.archives.end());
    const auto smallScan = MedianOfPairedRuns(
        SmallRounds,
        [&] {
            return ProcessorMilliseconds({executable, "scan", "--game", small.Path()});
        },
        [&] { return ProcessorMilliseconds(python); });
    if (!scan || !unzip || !smallScan) {
        std::printf("a scan, an unzip or a Python run failed (are Info-ZIP's unzip and python3 installed?)\n");
        return 2;
    }
    const qsizetype smallFound = ReadIniLines(program.path() + QStringLiteral("/maps.ini")).size();

    QStringList catalogue;
    for (int i = 0; i < CatalogueLines; ++i)
        catalogue << QStringLiteral("mp_map%1=[dm] [tdm] [sd] [bhm]").arg(i);
    qsizetype listed = 0;
    const auto list = [&] { listed = MapsOfGametype(catalogue, QStringLiteral("sd")).size(); };
    const double listingWall = MedianMilliseconds(Rounds, list);
    const double listing = MedianMilliseconds<ProcessCpuClock>(Rounds, list);

    std::printf("quendry scan of %d archives: %8.2f ms (%lld catalogue lines)\n"
                "unzip -l and -p of the same:  %8.2f ms\n"
                "listing %d lines: %.2f ms of processor time, %.2f ms wall (%lld maps)\n",
                ArchiveCount, *scan, static_cast<long long>(found), *unzip, CatalogueLines, listing, listingWall,
                static_cast<long long>(listed));
    if (found != ArchiveCount * ArenasPerArchive * 3 || smallFound != SmallArchiveCount * 3 ||
        listed != CatalogueLines) {
        std::printf("the scan or the listing missed maps\n");
        return 2;
    }
    const double ratio = *scan / *unzip;
    ReportGoal("scan / unzip -l and -p", "at most " + Fixed(GoalScanRatio), Fixed(ratio), ratio <= GoalScanRatio);
    ReportRatio("scan, 200 small archives / Python", *smallScan, GoalSmallScanRatio);
    ReportGoal("maps of a gametype, 80 000 lines", "under " + Fixed(GoalListingMilliseconds, 0) + " ms",
               Fixed(listing) + " ms", listing < GoalListingMilliseconds);
    return 0;
}
