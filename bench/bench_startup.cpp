// SPDX-License-Identifier: GPL-3.0-or-later
// Times a start of the program up to its first shown main window against a bare Qt main window, in processor
// time of the whole process (user and system), offscreen. Both programs end themselves at their window's first
// paint; the program runs from a folder of its own, on a first start. Goal: the start costs at most 1.5 times
// the bare window's.
#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Rounds = 21;
constexpr double AllowedRatio = 1.5;

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    // A folder of its own for the program, so that no saved state of a former run comes back.
    std::string folder = (fs::temp_directory_path() / "quendry-startup.XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return 2;
    const std::string program = folder + "/quendry";
    fs::copy_file(QUENDRY_EXECUTABLE, program);
    fs::copy_file(QUENDRY_WINDOW_LIBRARY, folder + "/" + fs::path(QUENDRY_WINDOW_LIBRARY).filename().string());
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QUENDRY_QUIT_WHEN_SHOWN", "1", 1);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

    // One start of each first, for the file system's caches and the program's first-start files; then the two
    // take turns, so that a busy moment of the machine falls on both alike.
    std::vector<double> bare, quendry;
    bool ran = ProcessorMilliseconds({BARE_WINDOW_EXECUTABLE}) && ProcessorMilliseconds({program});
    for (int round = 0; ran && round < Rounds; ++round) {
        const auto bareTime = ProcessorMilliseconds({BARE_WINDOW_EXECUTABLE});
        const auto quendryTime = ProcessorMilliseconds({program});
        ran = bareTime && quendryTime;
        if (ran) {
            bare.push_back(*bareTime);
            quendry.push_back(*quendryTime);
        }
    }
    fs::remove_all(folder);
    if (!ran) {
        std::printf("a start failed\n");
        return 2;
    }

    const double ratio = Median(quendry) / Median(bare);
    std::printf("%-24s %10s\n", "start to first window", "cpu (ms)");
    std::printf("%-24s %10.1f\n", "bare Qt main window", Median(bare));
    std::printf("%-24s %10.1f\n", "quendry", Median(quendry));
    ReportGoal("start-up / bare Qt main window", "at most " + Fixed(AllowedRatio, 1), Fixed(ratio),
               ratio <= AllowedRatio);
    return 0;
}
