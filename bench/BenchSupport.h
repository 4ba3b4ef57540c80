// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

// What the benchmarks share: archives written for the run, whole processes timed by the processor time they
// use, median timings, and the summary line of each goal.

// A member of a stored (uncompressed) archive.
struct TBenchMember {
    std::string name;
    std::string content;
};

// Writes a stored zip archive holding `members`, streaming it so that large archives need little memory.
// `member(i)` gives the i-th of `count` members.
template <class MemberAt> void WriteStoredArchive(const std::string& path, int count, MemberAt member);

// Runs `command` (its first word looked up in PATH when it holds no "/") to its end, with its errors thrown away
// and its output written to the file `output` (thrown away when empty). The processor time (user and system) of the
// whole process in milliseconds; nothing when it could not start or did not exit with 0.
std::optional<double> ProcessorMilliseconds(const std::vector<std::string>& command, const std::string& output = {});

// The peak resident size of `command` run to its end, in KiB; nothing when it could not start or did not exit with
// 0. A small launcher of its own starts it: a process spawned by the benchmark itself would report the benchmark's
// peak when that is the higher, as it shared the benchmark's memory until it started the program.
std::optional<double> PeakResidentKib(const std::vector<std::string>& command);

// The median of `rounds` runs of `run`, each giving a time or nothing when it failed; nothing when one failed.
template <class Run> std::optional<double> MedianOfRuns(int rounds, Run&& run) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const std::optional<double> time = run();
        if (!time)
            return std::nullopt;
        times.push_back(*time);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The medians of a program's runs and of its peer's, taken in turns so that a busy moment of the machine falls on
// both alike.
struct PairedMedians {
    double ours;
    double peer;
    double Ratio() const { return ours / peer; }
};

// `rounds` rounds of `ours` then `peer`, each giving a time or nothing when it failed; nothing when one failed.
template <class Ours, class Peer>
std::optional<PairedMedians> MedianOfPairedRuns(int rounds, Ours&& ours, Peer&& peer) {
    std::vector<double> ourTimes, peerTimes;
    for (int i = 0; i < rounds; ++i) {
        const std::optional<double> our = ours();
        const std::optional<double> their = our ? peer() : std::nullopt;
        if (!their)
            return std::nullopt;
        ourTimes.push_back(*our);
        peerTimes.push_back(*their);
    }
    const auto median = [](std::vector<double>& times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    return PairedMedians{median(ourTimes), median(peerTimes)};
}

// One goal of the benchmarks and how it went: printed ("goal missed" when it was), and added as one line to
// the summary file that QUENDRY_BENCH_SUMMARY names, for `make bench` to show at the end.
void ReportGoal(const std::string& measure, const std::string& goal, const std::string& figure, bool met);

// Prints both medians and reports the goal that the program takes at most `most` times its peer's time.
void ReportRatio(const std::string& measure, const PairedMedians& medians, double most);

// A number with `decimals` digits after the point, for a goal's figures.
std::string Fixed(double value, int decimals = 2);

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
