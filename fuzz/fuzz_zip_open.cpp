// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the zip directory reader as an archive file: opens it and reads every entry. A
// damaged archive must end in a ZipException; anything else (a crash, a hang, a leak) stops the run.
#include "zip/Zip.h"

#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        JoinPath(GetTempFolder(), "quendry-fuzz-open-" + std::to_string(::getpid()) + ".zip");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    TZip zip;
    try {
        zip.Open(path);
        for (int i = 0; i < zip.EntryCount(); ++i)
            zip.EntryAt(i);
    } catch (const ZipException&) {
        // The reader's answer to a damaged archive.
    }
    std::remove(path.c_str());
    return 0;
}
