// SPDX-License-Identifier: GPL-3.0-or-later
// Adds and extracts a 64 MiB file (half text, half random bytes) through the resource store, and packs the
// same bytes with zlib alone at the same level from memory and unpacks them into a file. Goal: the store keeps
// at least 90% of zlib's own throughput both ways.
#include "BenchSupport.h"

#include "store/ResourcesMaker.h"

#include "platform/Paths.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t MemberSize = 64 * 1024 * 1024;
constexpr double RequiredShare = 0.9;

// The bench's folder, the source file in it, and the same bytes in memory; made once.
struct TBenchData {
    TBenchData() {
        std::string pattern = JoinPath(GetTempFolder(), "quendry-bench.XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        folder = pattern;
        static constexpr std::string_view Line = "seta sv_hostname \"Quendry bench server\" // map rotation line ";
        bytes.reserve(MemberSize);
        for (std::size_t i = 0; bytes.size() < MemberSize / 2; ++i)
            bytes.append(std::to_string(i)).append(Line.substr(0, i % Line.size())).append("\r\n");
        bytes.resize(MemberSize / 2);
        std::mt19937_64 generator(2003);
        while (bytes.size() < MemberSize) {
            const std::uint64_t value = generator();
            bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
        }
        source = JoinPath(folder, "source.bin");
        std::ofstream(source, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~TBenchData() { fs::remove_all(folder); }

    std::string folder;
    std::string source;
    std::string bytes;
};

TBenchData& Data() {
    static TBenchData data;
    return data;
}

void CountBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(MemberSize));
}

void StoreAdd(benchmark::State& state) {
    const std::string store = JoinPath(Data().folder, "add.bin");
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(store);
        state.ResumeTiming();
        TResourcesMaker(store, "").AddResource(Data().source, "big.bin", false);
    }
    CountBytes(state);
}

void ZlibDeflate(benchmark::State& state) {
    const std::string& bytes = Data().bytes;
    std::string packed(compressBound(static_cast<uLong>(bytes.size())), '\0');
    for (auto _ : state) {
        z_stream stream{};
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream.avail_in = static_cast<uInt>(bytes.size());
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
            state.SkipWithError("deflate did not finish");
        benchmark::DoNotOptimize(stream.total_out);
        deflateEnd(&stream);
    }
    CountBytes(state);
}

void StoreExtract(benchmark::State& state) {
    const std::string store = JoinPath(Data().folder, "extract.bin");
    const std::string out = JoinPath(Data().folder, "out");
    if (!fs::exists(store))
        TResourcesMaker(store, "").AddResource(Data().source, "big.bin", false);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(out);
        state.ResumeTiming();
        TResourcesMaker(store, "").ExtractResource(out, "big.bin", false, epFileNameOnly);
    }
    CountBytes(state);
}

// Inflates the packed bytes into a file through a buffer of the store's size, as an extraction does.
void ZlibInflate(benchmark::State& state) {
    const std::string& bytes = Data().bytes;
    uLongf packedSize = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uLong>(bytes.size()), Z_DEFAULT_COMPRESSION);
    const std::string out = JoinPath(Data().folder, "inflated.bin");
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(out);
        state.ResumeTiming();
        std::ofstream file(out, std::ios::binary);
        z_stream stream{};
        inflateInit2(&stream, 15);
        stream.next_in = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_in = static_cast<uInt>(packedSize);
        int result = Z_OK;
        while (result == Z_OK) {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            result = inflate(&stream, Z_NO_FLUSH);
            file.write(buffer.data(), static_cast<std::streamsize>(buffer.size() - stream.avail_out));
        }
        if (result != Z_STREAM_END)
            state.SkipWithError("inflate did not finish");
        inflateEnd(&stream);
    }
    CountBytes(state);
}

BENCHMARK(StoreAdd)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1)->Repetitions(3);
BENCHMARK(ZlibDeflate)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1)->Repetitions(3);
BENCHMARK(StoreExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5)->Repetitions(10);
BENCHMARK(ZlibInflate)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5)->Repetitions(10);

// The console report, keeping each benchmark's best bytes per second over its repetitions: the machine may be
// shared, and both sides of a comparison get the same chance.
class TRateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (run.run_type != Run::RT_Iteration || rate == run.counters.end())
                continue;
            double& best = rates[run.run_name.function_name];
            best = std::max(best, rate->second.value);
        }
    }

    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TRateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& [store, zlib] : {std::pair{"StoreAdd", "ZlibDeflate"}, std::pair{"StoreExtract", "ZlibInflate"}}) {
        const auto storeRate = reporter.rates.find(store);
        const auto zlibRate = reporter.rates.find(zlib);
        if (storeRate == reporter.rates.end() || zlibRate == reporter.rates.end())
            return 2;
        std::printf("%s: %.1f MB/s, %s: %.1f MB/s\n", store, storeRate->second / 1e6, zlib, zlibRate->second / 1e6);
        const double share = storeRate->second / zlibRate->second;
        ReportGoal(std::string(store) + " / " + zlib, "at least " + Fixed(RequiredShare * 100, 0) + "%",
                   Fixed(share * 100, 1) + "%", share >= RequiredShare);
    }
    return 0;
}
