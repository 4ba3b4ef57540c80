// Reads the directory of a 200 MB archive of 5 000 members with the zip reader, and lists the same file with
// Info-ZIP's `unzip -l`, in the same run. The reader must need at most half of unzip's time; the figures and
// the ratio are printed, and the run fails when the ratio is above that.
#include "zip/Zip.h"

#include "platform/Paths.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int MemberCount = 5000;
constexpr std::size_t MemberSize = 40000;
constexpr int Rounds = 15;
constexpr double GoalRatio = 0.5;

void Put(std::string& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Writes a stored archive of MemberCount members of MemberSize bytes, named like the sounds of a pk3.
void WriteArchive(const std::string& path) {
    const std::string content(MemberSize, 's');
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string directory;
    std::uint32_t offset = 0;
    for (int i = 0; i < MemberCount; ++i) {
        const std::string name = "sound/voices/team/member_" + std::to_string(i) + ".wav";
        std::string fields;
        Put(fields, 10, 2); // version needed
        Put(fields, 0, 2);  // flags
        Put(fields, 0, 2);  // stored
        Put(fields, 0x6000, 2);
        Put(fields, (40 << 9) | (6 << 5) | 15, 2);
        Put(fields, crc, 4);
        Put(fields, MemberSize, 4);
        Put(fields, MemberSize, 4);
        Put(fields, static_cast<std::uint32_t>(name.size()), 2);
        Put(fields, 0, 2);
        std::string local;
        Put(local, 0x04034B50, 4);
        out << local << fields << name << content;
        Put(directory, 0x02014B50, 4);
        Put(directory, 0x031E, 2);
        directory += fields;
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 4);
        Put(directory, offset, 4);
        directory += name;
        offset += static_cast<std::uint32_t>(30 + name.size() + MemberSize);
    }
    std::string end;
    Put(end, 0x06054B50, 4);
    Put(end, 0, 4);
    Put(end, MemberCount, 2);
    Put(end, MemberCount, 2);
    Put(end, static_cast<std::uint32_t>(directory.size()), 4);
    Put(end, offset, 4);
    Put(end, 0, 2);
    out << directory << end;
}

// The median of `rounds` timings of `work`, in milliseconds.
template <class Work> double MedianMilliseconds(Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < Rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs `unzip -l archive` with its output thrown away; false when it cannot be run or fails.
bool RunUnzipList(const std::string& archive) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = "unzip", list = "-l", file = archive;
    char* argv[] = {program.data(), list.data(), file.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "unzip", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    const std::string archive = JoinPath(GetTempFolder(), "quendry-bench-" + std::to_string(::getpid()) + ".pk3");
    WriteArchive(archive);
    std::printf("archive: %s, %lld bytes, %d members\n", archive.c_str(),
                static_cast<long long>(fs::file_size(archive)), MemberCount);
    if (!RunUnzipList(archive)) {
        std::printf("unzip -l cannot list the archive (is Info-ZIP's unzip installed?)\n");
        fs::remove(archive);
        return 1;
    }
    int entries = 0;
    const double reader = MedianMilliseconds([&] {
        TZip zip;
        zip.Open(archive);
        entries = zip.EntryCount();
    });
    const double unzip = MedianMilliseconds([&] { RunUnzipList(archive); });
    fs::remove(archive);
    const double ratio = reader / unzip;
    std::printf("zip reader Open: %.2f ms (%d entries)\nunzip -l:        %.2f ms\nratio:           %.2f (goal: at "
                "most %.2f)\n",
                reader, entries, unzip, ratio, GoalRatio);
    return entries == MemberCount && ratio <= GoalRatio ? 0 : 1;
}
