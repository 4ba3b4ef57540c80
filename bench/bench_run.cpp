// SPDX-License-Identifier: GPL-3.0-or-later
// `quendry run --no-launch` on a settings file of 160 000 advanced lines, against awk printing the values of
// the same file's numbered lines, both as whole processes in processor time; and the same Run with a map
// catalogue of 80 000 lines and no advanced lines. Goal: the Run takes at most 5 times awk's time.
#include "BenchSupport.h"

#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int AdvancedLines = 160'000;
constexpr int CatalogueLines = 80'000;
constexpr int Rounds = 7;
constexpr double GoalRatio = 5.0;

// Settings that pass the Run's checks: a gametype whose map the catalogue offers, that map in the rotation,
// and `advancedLines` lines as administrators keep them (settings under comment lines).
void WriteSettings(const std::string& path, int advancedLines) {
    std::ofstream file(path, std::ios::binary);
    file << "[MainForm]\r\ndedicated=2\r\n[MainFormg_gametype]\r\nL0=dm\r\nItemIndex=0\r\n"
         << "[MainFormListBoxSelectedMaps]\r\nL0=mp_harbor\r\nItemIndex=-1\r\n[MainFormListBoxCfg]\r\n";
    for (int i = 0; i < advancedLines; ++i) {
        file << 'L' << i << '=';
        if (i % 25 == 0)
            file << "// Group " << i / 25 << "\r\n";
        else
            file << "seta bench_cvar_" << i << " \"value number " << i << "\"\r\n";
    }
    file << "ItemIndex=-1\r\n";
}

void WriteCatalogue(const std::string& path, int lines) {
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < lines; ++i)
        file << "mp_map" << i << "=[dm] [tdm] [sd] [bhm]\r\n";
    file << "mp_harbor=[dm] [tdm] [sd]\r\n";
}

} // namespace

int main() {
    std::string folder = JoinPath(GetTempFolder(), "quendry-bench.XXXXXX");
    if (::mkdtemp(folder.data()) == nullptr)
        return 2;
    // The program runs from a folder of its own, with no saved state of a former run.
    const std::string program = JoinPath(folder, "quendry");
    fs::copy_file(QUENDRY_EXECUTABLE, program);
    const std::string game = JoinPath(folder, "game");
    fs::create_directories(JoinPath(game, "main"));
    std::ofstream(JoinPath(game, "CoDMP.exe"));
    const std::string large = JoinPath(folder, "large.ini"), small = JoinPath(folder, "small.ini");
    WriteSettings(large, AdvancedLines);
    WriteSettings(small, 0);
    const auto run = [&](const std::string& settings) {
        return ProcessorMilliseconds({program, "run", "--no-launch", "--settings", settings, "--game", game});
    };

    WriteCatalogue(JoinPath(folder, "maps.ini"), 1);
    const auto quendry = MedianOfRuns(Rounds, [&] { return run(large); });
    const auto awk = MedianOfRuns(Rounds, [&] {
        return ProcessorMilliseconds({"awk", "-F=", "/^L[0-9]+=/{print $2}", large});
    });
    WriteCatalogue(JoinPath(folder, "maps.ini"), CatalogueLines);
    const auto catalogue = MedianOfRuns(Rounds, [&] { return run(small); });
    fs::remove_all(folder);
    if (!quendry || !awk || !catalogue) {
        std::printf("a run failed\n");
        return 2;
    }
    std::printf("run --no-launch, %d advanced lines: %8.1f ms\nawk over the same file: %8.1f ms\n"
                "run --no-launch, %d catalogue lines: %8.1f ms\n",
                AdvancedLines, *quendry, *awk, CatalogueLines, *catalogue);
    const double ratio = *quendry / *awk;
    ReportGoal("run, 160 000 advanced lines / awk", "at most " + Fixed(GoalRatio, 1), Fixed(ratio), ratio <= GoalRatio);
    return 0;
}
