#pragma once

// What the file-writing fuzz targets share: a work folder of the run's own and the check that nothing was
// written outside the folder the target extracts into.
#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
