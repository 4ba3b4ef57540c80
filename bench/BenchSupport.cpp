// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Put(std::string& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Members are written to the file in chunks of about this size.
constexpr std::size_t FlushSize = 1 << 22;

} // namespace

TStoredArchiveWriter::TStoredArchiveWriter(const std::string& path) : path_(path) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc);
}

void TStoredArchiveWriter::Add(const TBenchMember& member) {
    const auto size = static_cast<std::uint32_t>(member.content.size());
    std::string fields;
    Put(fields, 10, 2); // version needed
    Put(fields, 0, 2);  // flags
    Put(fields, 0, 2);  // stored
    Put(fields, 0x6000, 2);
    Put(fields, (40 << 9) | (6 << 5) | 15, 2);
    Put(fields, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(member.content.data()), size)), 4);
    Put(fields, size, 4);
    Put(fields, size, 4);
    Put(fields, static_cast<std::uint32_t>(member.name.size()), 2);
    Put(fields, 0, 2);
    Put(data_, 0x04034B50, 4);
    data_ += fields + member.name + member.content;
    Put(directory_, 0x02014B50, 4);
    Put(directory_, 0x031E, 2); // made on Unix
    directory_ += fields;
    Put(directory_, 0, 2);
    Put(directory_, 0, 2);
    Put(directory_, 0, 2);
    Put(directory_, 0, 4);
    Put(directory_, offset_, 4);
    directory_ += member.name;
    offset_ += static_cast<std::uint32_t>(30 + member.name.size() + size);
    ++count_;
    if (data_.size() >= FlushSize) {
        std::ofstream(path_, std::ios::binary | std::ios::app) << data_;
        data_.clear();
    }
}

void TStoredArchiveWriter::Finish() {
    std::string end;
    Put(end, 0x06054B50, 4);
    Put(end, 0, 4);
    Put(end, static_cast<std::uint32_t>(count_), 2);
    Put(end, static_cast<std::uint32_t>(count_), 2);
    Put(end, static_cast<std::uint32_t>(directory_.size()), 4);
    Put(end, offset_, 4);
    Put(end, 0, 2);
    std::ofstream(path_, std::ios::binary | std::ios::app) << data_ << directory_ << end;
    data_.clear();
}

ProcessCpuClock::time_point ProcessCpuClock::now() {
    timespec spent{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
    return time_point(std::chrono::seconds(spent.tv_sec) + std::chrono::nanoseconds(spent.tv_nsec));
}

std::optional<double> ProcessorMilliseconds(const std::vector<std::string>& command, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.empty() ? "/dev/null" : output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    const auto milliseconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) * 1e-3;
    };
    return milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
}

std::optional<double> PeakResidentKib(const std::vector<std::string>& command) {
    char output[] = "/tmp/quendry-bench-peak.XXXXXX";
    const int fd = ::mkstemp(output);
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    std::vector<std::string> launched = {BENCH_PEAK_MEMORY_EXECUTABLE};
    launched.insert(launched.end(), command.begin(), command.end());
    double kib = 0;
    const bool measured = ProcessorMilliseconds(launched, output) && (std::ifstream(output) >> kib);
    ::unlink(output);
    return measured ? std::optional<double>(kib) : std::nullopt;
}

void ReportGoal(const std::string& measure, const std::string& goal, const std::string& figure, bool met) {
    std::printf("%s: %s (goal: %s)%s\n", measure.c_str(), figure.c_str(), goal.c_str(), met ? "" : ": goal missed");
    if (const char* summary = std::getenv("QUENDRY_BENCH_SUMMARY"))
        std::ofstream(summary, std::ios::app)
            << measure << '\t' << goal << '\t' << figure << '\t' << (met ? "met" : "MISSED") << '\n';
}

void ReportRatio(const std::string& measure, const PairedMedians& medians, double most) {
    std::printf("%s: %.2f ms against %.2f ms\n", measure.c_str(), medians.ours, medians.peer);
    ReportGoal(measure, "at most " + Fixed(most), Fixed(medians.Ratio()), medians.Ratio() <= most);
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
