// SPDX-License-Identifier: GPL-3.0-or-later
// `quendry run --no-launch` on a settings file of 160 000 advanced lines, against awk writing the same advanced.cfg
// bytes from the same file, both as whole processes in processor time, in turns; and the same Run with a map
// catalogue of 80 000 lines and no advanced lines. Goals: the Run takes at most twice awk's time, and its peak
// resident size above that of a Run of one advanced line is at most twice the settings file's size.
#include "BenchSupport.h"

#include "support/ProgramCopy.h"

#include "ModFolder.h"

#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int AdvancedLines = 160'000;
constexpr int CatalogueLines = 80'000;
constexpr int Rounds = 7;
constexpr double GoalRatio = 2.0;
constexpr double GoalMemoryRatio = 2.0;

// The values of the advanced list's lines, each ended by CR LF, as the Run writes them into advanced.cfg: the
// lines the bench writes need no quote replaced and hold only ASCII.
const char* const AwkAdvancedConfig = "BEGIN { ORS = \"\\r\\n\" }"
                                      "{ sub(/\\r$/, \"\") }"
                                      "/^\\[/ { list = $0 == \"[MainFormListBoxCfg]\" }"
                                      "list && /^L[0-9]+=/ { sub(/^L[0-9]+=/, \"\"); print }";

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

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
    CopyProgram(folder);
    const std::string game = JoinPath(folder, "game");
    fs::create_directories(JoinPath(game, "main"));
    std::ofstream(JoinPath(game, "CoDMP.exe"));
    const std::string large = JoinPath(folder, "large.ini"), small = JoinPath(folder, "small.ini");
    WriteSettings(large, AdvancedLines);
    WriteSettings(small, 1);
    const auto command = [&](const std::string& settings) {
        return std::vector<std::string>{program, "run", "--no-launch", "--settings", settings, "--game", game};
    };
    const std::string written = JoinPath(JoinPath(game, ModFolderName), "advanced.cfg");
    const std::string awkWritten = JoinPath(folder, "awk.cfg");
    const auto awk = [&] { return ProcessorMilliseconds({"awk", AwkAdvancedConfig, large}, awkWritten); };

    WriteCatalogue(JoinPath(folder, "maps.ini"), 1);
    const auto times = MedianOfPairedRuns(
        Rounds, [&] { return ProcessorMilliseconds(command(large)); }, awk);
    const bool sameBytes = times && FileText(written) == FileText(awkWritten);
    const auto memory = MedianOfPairedRuns(
        Rounds, [&] { return PeakResidentKib(command(large)); }, [&] { return PeakResidentKib(command(small)); });
    WriteCatalogue(JoinPath(folder, "maps.ini"), CatalogueLines);
    const auto catalogue = MedianOfRuns(Rounds, [&] { return ProcessorMilliseconds(command(small)); });
    const auto settingsSize = static_cast<double>(fs::file_size(large));
    fs::remove_all(folder);
    if (!times || !memory || !catalogue) {
        std::printf("a run failed\n");
        return 2;
    }
    if (!sameBytes) {
        std::printf("awk and the Run wrote different advanced.cfg files\n");
        return 2;
    }
    std::printf("run --no-launch, %d catalogue lines: %8.1f ms\n", CatalogueLines, *catalogue);
    ReportRatio("run, 160 000 advanced lines / awk", *times, GoalRatio);
    const double above = (memory->ours - memory->peer) * 1024.0;
    std::printf("peak resident size: %.1f MiB, %.1f MiB with one advanced line; settings file %.1f MiB\n",
                memory->ours / 1024.0, memory->peer / 1024.0, settingsSize / 1024.0 / 1024.0);
    ReportGoal("run, 160 000 lines: memory / file size", "at most " + Fixed(GoalMemoryRatio),
               Fixed(above / settingsSize), above <= GoalMemoryRatio * settingsSize);
    return 0;
}
