// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the file-writing fuzz targets share: a work folder of the run's own and the check that nothing was
// written outside the folder the target extracts into.
#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <stdlib.h>

// A folder of this run's own (`prefix` followed by a unique tail, in the temporary folder); removed at exit.
class TWorkFolder {
public:
    explicit TWorkFolder(const std::string& prefix) : path_(JoinPath(GetTempFolder(), prefix + ".XXXXXX")) {
        if (::mkdtemp(path_.data()) == nullptr)
            std::abort();
    }
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;
    ~TWorkFolder() { std::filesystem::remove_all(path_); }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// One input of a run: written as a file into the work folder, beside an empty folder "out".
struct TFuzzInput {
    std::filesystem::path file;
    std::filesystem::path out;
};

inline TFuzzInput WriteFuzzInput(const TWorkFolder& folder, const std::string& name, const std::uint8_t* data,
                                 std::size_t size) {
    const std::filesystem::path work = folder.Path();
    TFuzzInput input{work / name, work / "out"};
    std::filesystem::remove_all(input.out);
    std::filesystem::create_directory(input.out);
    std::ofstream(input.file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return input;
}

// Ends the run with `why`: libFuzzer keeps the input that led there.
[[noreturn]] inline void StopFuzzing(const std::string& why) {
    std::fprintf(stderr, "fuzz: %s\n", why.c_str());
    std::abort();
}

// Everything in `work` must be `input` or lie below `out`; nothing may be a link.
inline void CheckNothingEscaped(const std::filesystem::path& work, const std::filesystem::path& input,
                                const std::filesystem::path& out) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work)) {
        const std::filesystem::path& path = entry.path();
        if (entry.is_symlink())
            StopFuzzing("link created: " + path.string());
        const std::filesystem::path below = path.lexically_relative(out);
        if (path != input && path != out && (below.empty() || *below.begin() == ".."))
            StopFuzzing("written outside the destination: " + path.string());
    }
}
