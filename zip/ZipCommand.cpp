// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ZipCommand.h"

#include "platform/TerminalText.h"
#include "zip/Zip.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Extracts the named members; false (with the reason on `err`) when one is not in the archive or the batch
// did not run to its end.
bool Extract(TZip& zip, const std::string& folder, const std::vector<std::string>& names, std::ostream& out,
             std::ostream& err) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        err << "\"" << folder << "\": not a folder\n";
        return false;
    }
    for (const std::string& given : names) {
        const std::string name = SlashesToBackslashes(given);
        bool listed = false;
        for (int i = 0; i < zip.EntryCount() && !listed; ++i)
            listed = zip.EntryAt(i).FileName == name;
        if (!listed) {
            err << "\"" << zip.ArchivePath() << "\" has no member \"" << given << "\"\n";
            return false;
        }
        zip.MemberSpecs.push_back(name);
    }
    int written = 0;
    int skipped = 0;
    zip.OnZEDBeginFileEvent = [&](TZip&, const std::string& name, std::int32_t, std::int32_t, std::int32_t) {
        out << TerminalSafe(name) << '\n';
        ++written;
    };
    zip.OnZEDEndBatchEvent = [&](TZip&, std::int32_t skippedCount, std::int32_t, std::int32_t) {
        skipped = skippedCount;
    };
    zip.ExtractFolder = folder;
    const std::int32_t result = zip.Extract();
    // The members stay listed when the extraction was refused before it started (a multiple disk archive); the
    // refusal has been shown then.
    if (!zip.MemberSpecs.empty())
        return false;
    if (result < 0) {
        err << (zip.CancelRequested ? "Extraction cancelled\n" : "The archive cannot be read for extraction\n");
        return false;
    }
    out << written - skipped << " extracted, " << skipped << " skipped\n";
    return true;
}

} // namespace

int ZipExtract(const std::string& archive, const std::string& folder, const std::vector<std::string>& names,
               const std::string& libraryFolder, std::ostream& out, std::ostream& err) {
    if (!IsArchiveFile(archive, err))
        return 1;
    try {
        TZip zip;
        zip.LibraryFolder = libraryFolder;
        zip.Open(archive);
        return Extract(zip, folder, names, out, err) ? 0 : 1;
    } catch (const std::exception& failure) {
        err << failure.what() << '\n';
        return 1;
    }
}
