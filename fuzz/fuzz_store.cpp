// Feeds arbitrary bytes to the resource store as a store file: opens it, lists every member, extracts each one
// in every path mode, deletes the first, and stops the run when anything lands outside the destination folder
// or a scratch file or folder stays behind.
#include "store/ResourcesMaker.h"

#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A folder of this run's own, holding the store file and the destination folder "out"; removed at exit.
class TWorkFolder {
public:
    TWorkFolder() : path_(JoinPath(GetTempFolder(), "quendry-fuzz.XXXXXX")) {
        if (::mkdtemp(path_.data()) == nullptr)
            std::abort();
    }
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;
    ~TWorkFolder() { fs::remove_all(path_); }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

[[noreturn]] void Stop(const std::string& why) {
    std::fprintf(stderr, "fuzz_store: %s\n", why.c_str());
    std::abort();
}

// Everything in the work folder must be the store file or lie below "out"; nothing may be a link.
void CheckNothingEscaped(const fs::path& work, const fs::path& store, const fs::path& out) {
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        const fs::path& path = entry.path();
        if (entry.is_symlink())
            Stop("link created: " + path.string());
        const fs::path below = path.lexically_relative(out);
        if (path != store && path != out && (below.empty() || *below.begin() == ".."))
            Stop("written outside the destination: " + path.string());
    }
}

void Exercise(const std::string& storePath, const std::string& out, std::string& tempFolder) {
    TResourcesMaker store(storePath, "");
    tempFolder = store.TempFolder();
    for (int i = 0; i < store.Count(); ++i) {
        store.GetExtraInfos(i);
        const std::string name = store.ResourceName(i);
        for (const TExtractPathMode mode : {epFileNameOnly, epLastFolder, epFullPath}) {
            try {
                store.ExtractResource(out, name, true, mode);
            } catch (const std::exception&) {
                // A damaged or hostile member is refused with an error; only what follows matters here.
            }
        }
    }
    if (store.Count() > 0)
        store.DeleteResource(store.ResourceName(0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TWorkFolder workFolder;
    const fs::path work = workFolder.Path();
    const fs::path store = work / "store.bin";
    const fs::path out = work / "out";
    fs::remove_all(out);
    fs::create_directory(out);
    std::ofstream(store, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::string tempFolder;
    try {
        Exercise(store.string(), out.string(), tempFolder);
    } catch (const std::exception&) {
        // Errors are the store's answer to bad input.
    }
    CheckNothingEscaped(work, store, out);
    if (!tempFolder.empty() && fs::exists(tempFolder))
        Stop("temporary folder left behind: " + tempFolder);
    fs::remove_all(out);
    fs::remove(store);
    return 0;
}
