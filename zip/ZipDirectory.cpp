// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ZipDirectory.h"

#include "platform/Volumes.h"

#include <filesystem>
#include <memory>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Disk numbers and the number of disks a spanned archive may have.
constexpr int MaxDiskNumber = 1000;

[[noreturn]] void ThrowNotAZip(const std::string& path) {
    throw ZipException("\"" + path + "\"\nis not a valid Zip file.");
}

[[noreturn]] void ThrowBadHeader() {
    throw ZipException("Error reading 'CentralFileHeader'!");
}

// Reads the entries from `start` of `file`; false when a header is missing, short or spanned onto a disk that was
// not inserted. The file of the next disk of a spanned archive replaces `file`.
bool ReadEntries(const std::string& path, const TDiskQuestion& ask, std::unique_ptr<TZipFile>& file, std::int64_t start,
                 TZipDirectory& directory) {
    if (file->Failed() || !file->Seek(start))
        return false;
    directory.entries.reserve(directory.endRecord.TotalEntries);
    for (int i = 0; i < directory.endRecord.TotalEntries;) {
        TFileInfo info;
        switch (ReadCentralEntry(*file, i == 0, directory.oemNames, info)) {
        case TEntryRead::Read:
            directory.entries.push_back(std::move(info));
            ++i;
            break;
        case TEntryRead::BadSignature:
            return false;
        case TEntryRead::ShortRead: {
            // The directory of a spanned archive goes on at the start of the next disk.
            if (directory.endRecord.ThisDisk == 0)
                return false;
            const int disk = SpanDiskNumber(path);
            file.reset();
            if (disk == 0 || disk > directory.endRecord.ThisDisk || !AskForDisk(path, disk + 1, ask))
                return false;
            file = std::make_unique<TZipFile>(path);
            if (file->Failed())
                return false;
            break;
        }
        }
    }
    // A count that wrapped at 65 536 (a ZIP64 archive without its records) or a damaged one leaves records
    // unread: another record follows the last one counted, or the directory says it is longer than the records
    // read. A directory that says it is shorter is only a wrong size, which other readers accept too.
    if (directory.endRecord.ThisDisk != 0)
        return true;
    const std::int64_t directoryEnd = file->Position();
    const char* damage = nullptr;
    if (HasCentralHeaderAt(*file, directoryEnd))
        damage = "its directory holds another number of members than it says";
    else if (directoryEnd - start < std::int64_t(directory.endRecord.DirectorySize))
        damage = "its directory is longer than the members it lists";
    if (damage != nullptr) {
        directory.entries.clear();
        throw ZipException("\"" + path + "\"\nis damaged or a ZIP64 archive: " + damage +
                           "; only classic Zip files can be read.");
    }
    return true;
}

} // namespace

void CheckArchiveDrive(const std::string& path) {
    std::string label;
    if (!VolumeLabel(path, label))
        throw ZipException("Unable to access the selected drive!");
}

void ReadZipDirectory(const std::string& path, const TDiskQuestion& ask, TZipDirectory& directory) {
    directory = TZipDirectory();
    // The archive is opened once: the directory of a one-file archive is read through the file its end record was
    // found in.
    std::unique_ptr<TZipFile> file;
    for (;;) {
        file = std::make_unique<TZipFile>(path);
        if (file->Failed())
            throw ZipException("Unable to open \"" + path + "\": " + file->Reason());
        const auto found = FindEndRecord(*file);
        if (found) {
            directory.endRecordPos = *found;
            unsigned char bytes[EndRecordSize];
            file->Seek(*found);
            file->Read(bytes, sizeof bytes);
            directory.endRecord = TEndRecord::Parse(bytes);
            if (IsZip64(*file, *found, directory.endRecord))
                throw ZipException("\"" + path + "\"\nis a ZIP64 archive; only classic Zip files can be read.");
            if (directory.endRecord.ThisDisk > MaxDiskNumber || directory.endRecord.DirectoryDisk > MaxDiskNumber)
                ThrowNotAZip(path);
            if (!file->Seek(*found + EndRecordSize) ||
                !file->Read(directory.comment, directory.endRecord.CommentLength))
                directory.comment.clear();
            break;
        }
        file.reset();
        const int disk = SpanDiskNumber(path);
        if (disk == 0)
            ThrowNotAZip(path);
        if (!ask("This is [ Disk " + std::to_string(disk) +
                 " ] of a multiple disk Zip file.\nInsert the last disk of the Zip file before pressing [ OK ] to "
                 "continue ..."))
            return;
    }
    if (directory.endRecord.TotalEntries == 0)
        return;

    std::vector<std::int64_t> starts;
    if (directory.endRecord.ThisDisk != 0) {
        // The directory of a spanned archive may lie on another disk: the file is opened again.
        file.reset();
        if (directory.endRecord.DirectoryDisk != directory.endRecord.ThisDisk &&
            !AskForDisk(path, directory.endRecord.DirectoryDisk, ask))
            return;
        starts = {directory.endRecord.DirectoryOffset};
    } else {
        // A directory that the bytes in front of the end record cannot hold is refused before it is read.
        if (directory.endRecord.DirectorySize > directory.endRecordPos ||
            std::int64_t(directory.endRecord.TotalEntries) * CentralHeaderSize > directory.endRecordPos)
            ThrowNotAZip(path);
        starts = CentralDirectoryCandidates(*file, directory.endRecordPos, directory.endRecord);
    }
    for (const std::int64_t start : starts) {
        if (!file)
            file = std::make_unique<TZipFile>(path);
        if (ReadEntries(path, ask, file, start, directory))
            return;
        directory.entries.clear();
    }
    ThrowBadHeader();
}

int DriveKind(const std::string& path) {
    return path.empty() ? DriveNoRootDir : SystemVolumes().DriveKind(path);
}

bool VolumeLabel(const std::string& path, std::string& label) {
    const auto read = SystemVolumes().VolumeLabel(path);
    if (!read)
        return false;
    label = *read;
    return true;
}

int SpanDiskNumber(const std::string& path) {
    static const std::string Mark = "PKBACK# ";
    std::error_code error;
    std::string label;
    if (!fs::exists(path, error) || DriveKind(path) != DriveRemovable || !VolumeLabel(path, label) ||
        label.compare(0, Mark.size(), Mark) != 0)
        return 0;
    const std::string digits = label.substr(Mark.size(), 3);
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return digits.empty() ? 0 : number;
}

bool AskForDisk(const std::string& path, int disk, const TDiskQuestion& ask) {
    const std::string question = "Insert [ Disk " + std::to_string(disk) +
                                 " ] of the Zip file into the floppy drive\nbefore pressing [ OK ] to continue ...";
    while (SpanDiskNumber(path) != disk)
        if (!ask(question))
            return false;
    return true;
}
