// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ZipCommand.h"

#include "platform/TerminalText.h"
#include "platform/Windows1252.h"
#include "zip/Zip.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string MethodName(int method) {
    switch (method) {
    case MethodStored:
        return "stored";
    case MethodDeflated:
        return "deflated";
    default:
        return "method " + std::to_string(method);
    }
}

std::string HostName(int host) {
    static const std::map<int, std::string> Names = {{0, "MS-DOS"},    {3, "Unix"},          {6, "OS/2 HPFS"},
                                                     {7, "Macintosh"}, {10, "Windows NTFS"}, {14, "VFAT"},
                                                     {19, "OS X"}};
    const auto name = Names.find(host);
    return name != Names.end() ? name->second : "host " + std::to_string(host);
}

void List(const TZip& zip, std::ostream& out) {
    for (int i = 0; i < zip.EntryCount(); ++i) {
        const TFileInfo entry = zip.EntryAt(i);
        out << TerminalSafe(entry.FileName) << '\t' << entry.Header.CompressedSize << '\t'
            << entry.Header.UncompressedSize << '\t' << MethodName(entry.Header.Method) << '\t'
            << HostName(entry.Header.HostSystem()) << '\t' << (entry.Encrypted ? "encrypted" : "-") << '\n';
    }
    if (!zip.ArchiveComment().empty())
        out << TerminalSafe(DecodeUtf8OrWindows1252(zip.ArchiveComment())) << '\n';
}

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

namespace {

// Runs `action` on the archive opened with the unzip library in `libraryFolder`; its result, or 1 (with the reason
// on `err`) when the archive is missing or cannot be read.
int WithArchive(const std::string& archive, const std::string& libraryFolder, std::ostream& err,
                const std::function<int(TZip&)>& action) {
    std::error_code error;
    if (!fs::is_regular_file(archive, error)) {
        err << "\"" << archive << "\": " << (fs::exists(archive, error) ? "not a file" : std::strerror(ENOENT)) << '\n';
        return 1;
    }
    try {
        TZip zip;
        zip.LibraryFolder = libraryFolder;
        zip.Open(archive);
        return action(zip);
    } catch (const std::exception& failure) {
        err << failure.what() << '\n';
        return 1;
    }
}

} // namespace

int ZipList(const std::string& archive, std::ostream& out, std::ostream& err) {
    return WithArchive(archive, {}, err, [&](TZip& zip) {
        List(zip, out);
        return 0;
    });
}

int ZipExtract(const std::string& archive, const std::string& folder, const std::vector<std::string>& names,
               const std::string& libraryFolder, std::ostream& out, std::ostream& err) {
    return WithArchive(archive, libraryFolder, err,
                       [&](TZip& zip) { return Extract(zip, folder, names, out, err) ? 0 : 1; });
}
