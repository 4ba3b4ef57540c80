// SPDX-License-Identifier: GPL-3.0-or-later
// Lists a 200 MB archive of 5 000 members, and a small archive of a few members, with `quendry zip list` and with
// Info-ZIP's `unzip -l`, both as whole processes, in processor time, in turns. Goals: the program needs at most half
// of unzip's time for the large archive, and at most 1.5 times its time for the small one (start-up alone).
#include "BenchSupport.h"

#include "platform/Paths.h"

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int MemberCount = 5000;
constexpr std::size_t MemberSize = 40000;
constexpr int SmallMemberCount = 8;
constexpr int Rounds = 15;
constexpr int SmallRounds = 31;
constexpr double GoalRatio = 0.5;
constexpr double GoalSmallRatio = 1.5;

std::optional<PairedMedians> ListInTurns(int rounds, const std::string& archive) {
    return MedianOfPairedRuns(
        rounds,
        [&] {
            return ProcessorMilliseconds({QUENDRY_EXECUTABLE, "zip", "list", archive});
        },
        [&] {
            return ProcessorMilliseconds({"unzip", "-l", archive});
        });
}

} // namespace

int main() {
    const std::string archive = JoinPath(GetTempFolder(), "quendry-bench-" + std::to_string(::getpid()) + ".pk3");
    const std::string content(MemberSize, 's');
    WriteStoredArchive(archive, MemberCount, [&](int i) {
        return TBenchMember{"sound/voices/team/member_" + std::to_string(i) + ".wav", content};
    });
    const std::string small = archive + ".small.pk3";
    WriteStoredArchive(small, SmallMemberCount, [](int i) {
        return TBenchMember{"maps/mp/mp_small_" + std::to_string(i) + ".bsp", std::string(1000, 'b')};
    });
    std::printf("archive: %lld bytes, %d members\n", static_cast<long long>(fs::file_size(archive)), MemberCount);
    const auto large = ListInTurns(Rounds, archive);
    const auto few = ListInTurns(SmallRounds, small);
    fs::remove(archive);
    fs::remove(small);
    if (!large || !few) {
        std::printf("a listing failed (is Info-ZIP's unzip installed?)\n");
        return 2;
    }
    ReportRatio("zip list / unzip -l, 5 000 members", *large, GoalRatio);
    ReportRatio("zip list / unzip -l, 8 members", *few, GoalSmallRatio);
    return 0;
}
