#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

// What the zip benchmarks share: archives written for the run, Info-ZIP's `unzip -l` as the yardstick, and
// median timings.

// A member of a stored (uncompressed) archive.
struct TBenchMember {
    std::string name;
    std::string content;
};

// Writes a stored zip archive holding `members`, streaming it so that large archives need little memory.
// `member(i)` gives the i-th of `count` members.
template <class MemberAt> void WriteStoredArchive(const std::string& path, int count, MemberAt member);

// Runs `unzip -l` on each archive in turn, its output thrown away; false when one cannot be listed.
bool RunUnzipList(const std::vector<std::string>& archives);

// The processor time this process has used; on a busy machine it leaves out the time spent waiting for a core.
struct ProcessCpuClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<ProcessCpuClock>;
    static constexpr bool is_steady = true;
    static time_point now();
};

// The median of `rounds` timings of `work` on `Clock`, in milliseconds.
template <class Clock = std::chrono::steady_clock, class Work> double MedianMilliseconds(int rounds, Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The archive writer behind WriteStoredArchive, one member at a time.
class TStoredArchiveWriter {
public:
    explicit TStoredArchiveWriter(const std::string& path);
    void Add(const TBenchMember& member);
    // Writes the directory and the end record.
    void Finish();

private:
    std::string path_;
    std::string data_;
    std::string directory_;
    std::uint32_t offset_ = 0;
    int count_ = 0;
};

template <class MemberAt> void WriteStoredArchive(const std::string& path, int count, MemberAt member) {
    TStoredArchiveWriter writer(path);
    for (int i = 0; i < count; ++i)
        writer.Add(member(i));
    writer.Finish();
}
