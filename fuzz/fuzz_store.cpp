// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the resource store as a store file: opens it, lists every member, extracts each one
// in every path mode, deletes the first, and stops the run when anything lands outside the destination folder
// or a scratch file or folder stays behind.
#include "store/ResourcesMaker.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

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
    static const TWorkFolder workFolder("quendry-fuzz");
    const fs::path work = workFolder.Path();
    const auto [store, out] = WriteFuzzInput(workFolder, "store.bin", data, size);
    std::string tempFolder;
    try {
        Exercise(store.string(), out.string(), tempFolder);
    } catch (const std::exception&) {
        // Errors are the store's answer to bad input.
    }
    CheckNothingEscaped(work, store, out);
    if (!tempFolder.empty() && fs::exists(tempFolder))
        StopFuzzing("temporary folder left behind: " + tempFolder);
    fs::remove_all(out);
    fs::remove(store);
    return 0;
}
