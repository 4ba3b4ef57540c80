// Scan Maps over 20 archives of 2 000 members each (stock-style arena files among textures and sounds)
// against Info-ZIP's `unzip -l` over the same 20 files, in the same run; and the listing of the maps of one
// gametype from a catalogue of 80 000 lines. Goals: the whole scan at most the time of listing the archives,
// the catalogue listing under 50 ms of processor time (its wall time is printed too: on a busy machine it
// mostly measures the wait for a core). The figures are printed; the run fails when a goal is missed.
#include "BenchSupport.h"

#include "maps/MapScan.h"
#include "maps/Rotation.h"
#include "platform/Paths.h"
#include "zip/Zip.h"

#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int ArchiveCount = 20;
constexpr int MembersPerArchive = 2000;
constexpr int ArenasPerArchive = 8;
constexpr int CatalogueLines = 80000;
constexpr int Rounds = 5;
constexpr double GoalScanRatio = 1.0;
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

} // namespace

int main() {
    const QTemporaryDir game(QString::fromStdString(JoinPath(GetTempFolder(), "quendry-bench-XXXXXX")));
    const std::string main = JoinPath(game.path().toStdString(), "main");
    fs::create_directories(main);
    const std::string filler(2000, 't');
    std::vector<std::string> archives;
    for (int a = 0; a < ArchiveCount; ++a) {
        const std::string archive = JoinPath(main, "pak" + std::to_string(100 + a) + ".pk3");
        WriteStoredArchive(archive, MembersPerArchive, [&](int i) {
            if (i % (MembersPerArchive / ArenasPerArchive) == 0)
                return TBenchMember{"scripts/mp_" + std::to_string(i) + ".arena", ArenaText(a, i)};
            return TBenchMember{"textures/some/folder/texture_" + std::to_string(i) + ".jpg", filler};
        });
        archives.push_back(archive);
    }
    if (!RunUnzipList(archives)) {
        std::printf("unzip -l cannot list the archives (is Info-ZIP's unzip installed?)\n");
        return 1;
    }

    TZip zip;
    zip.ShowProgressDialog = false;
    zip.LibraryFolder = QUENDRY_UNZDLL_FOLDER;
    QStringList maps;
    const double scan = MedianMilliseconds(Rounds, [&] {
        TMapScan mapScan(zip, maps, [](const std::string&) {});
        for (const std::string& archive : ArchivesToScan(game.path().toStdString(), "mod"))
            mapScan.ScanArchive(archive);
    });
    const double unzip = MedianMilliseconds(Rounds, [&] { RunUnzipList(archives); });

    QStringList catalogue;
    for (int i = 0; i < CatalogueLines; ++i)
        catalogue << QStringLiteral("mp_map%1=[dm] [tdm] [sd] [bhm]").arg(i);
    qsizetype listed = 0;
    const auto list = [&] { listed = MapsOfGametype(catalogue, QStringLiteral("sd")).size(); };
    const double listingWall = MedianMilliseconds(Rounds, list);
    const double listing = MedianMilliseconds<ProcessCpuClock>(Rounds, list);

    const double ratio = scan / unzip;
    std::printf("scan of %d archives:   %8.2f ms (%lld catalogue lines)\n"
                "unzip -l of the same:  %8.2f ms\n"
                "ratio:                 %8.2f (goal: at most %.2f)\n"
                "listing %d lines:   %8.2f ms of processor time, %.2f ms wall (%lld maps; goal: under %.0f ms)\n",
                ArchiveCount, scan, static_cast<long long>(maps.size()), unzip, ratio, GoalScanRatio, CatalogueLines,
                listing, listingWall, static_cast<long long>(listed), GoalListingMilliseconds);
    const bool complete = maps.size() == ArchiveCount * ArenasPerArchive * 3 && listed == CatalogueLines;
    return complete && ratio <= GoalScanRatio && listing < GoalListingMilliseconds ? 0 : 1;
}
