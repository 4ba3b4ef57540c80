// Reads the directory of a 200 MB archive of 5 000 members with the zip reader, and lists the same file with
// Info-ZIP's `unzip -l`, in the same run. The reader must need at most half of unzip's time; the figures and
// the ratio are printed, and the run fails when the ratio is above that.
#include "BenchSupport.h"

#include "platform/Paths.h"
#include "zip/Zip.h"

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
    if (!RunUnzipList({archive})) {
        std::printf("unzip -l cannot list the archive (is Info-ZIP's unzip installed?)\n");
        fs::remove(archive);
        return 1;
    }
    int entries = 0;
    const double reader = MedianMilliseconds(Rounds, [&] {
        TZip zip;
        zip.Open(archive);
        entries = zip.EntryCount();
    });
    const double unzip = MedianMilliseconds(Rounds, [&] { RunUnzipList({archive}); });
    fs::remove(archive);
    const double ratio = reader / unzip;
    std::printf("zip reader Open: %8.2f ms (%d entries)\nunzip -l:        %8.2f ms\nratio:           %8.2f (goal: "
                "at most %.2f)\n",
                reader, entries, unzip, ratio, GoalRatio);
    return entries == MemberCount && ratio <= GoalRatio ? 0 : 1;
}
