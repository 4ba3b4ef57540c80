// SPDX-License-Identifier: GPL-3.0-or-later
// Lists a 200 MB archive of 5 000 members with `quendry zip list` and with Info-ZIP's `unzip -l`, both as
// whole processes, in processor time. Goal: the program needs at most half of unzip's time.
#include "BenchSupport.h"

#include "platform/Paths.h"

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int MemberCount = 5000;
constexpr std::size_t MemberSize = 40000;
constexpr int Rounds = 15;
constexpr double GoalRatio = 0.5;

} // namespace

int main() {
    const std::string archive = JoinPath(GetTempFolder(), "quendry-bench-" + std::to_string(::getpid()) + ".pk3");
    const std::string content(MemberSize, 's');
    WriteStoredArchive(archive, MemberCount, [&](int i) {
        return TBenchMember{"sound/voices/team/member_" + std::to_string(i) + ".wav", content};
    });
    std::printf("archive: %lld bytes, %d members\n", static_cast<long long>(fs::file_size(archive)), MemberCount);
    const auto reader = MedianOfRuns(Rounds, [&] {
        return ProcessorMilliseconds({QUENDRY_EXECUTABLE, "zip", "list", archive});
    });
    const auto unzip = MedianOfRuns(Rounds, [&] { return ProcessorMilliseconds({"unzip", "-l", archive}); });
    fs::remove(archive);
    if (!reader || !unzip) {
        std::printf("a listing failed (is Info-ZIP's unzip installed?)\n");
        return 2;
    }
    std::printf("quendry zip list: %8.2f ms\nunzip -l:         %8.2f ms\n", *reader, *unzip);
    const double ratio = *reader / *unzip;
    ReportGoal("zip list / unzip -l", "at most " + Fixed(GoalRatio), Fixed(ratio), ratio <= GoalRatio);
    return 0;
}
