// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "zip/ZipFormat.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct TUnzCallbackRecord;

// The zip component's errors; the message says what went wrong and with which file.
class ZipException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the zip component needs of a progress window while the unzip library works.
class TZipProgressView {
public:
    virtual ~TZipProgressView() = default;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void ShowView() = 0;
    virtual void HideView() = 0;
};

class TZip;
using TZEDBeginFileEvent = std::function<void(TZip& sender, const std::string& fileName, std::int32_t fileSize,
                                              std::int32_t batchCount, std::int32_t totalBytesInBatch)>;
using TProgressEvent =
    std::function<void(TZip& sender, const std::string& fileName, std::int32_t bytesDone, std::int32_t totalBytes)>;
using TZEDEndBatchEvent = std::function<void(TZip& sender, std::int32_t skippedCount, std::int32_t batchCount,
                                             std::int32_t totalBytesInBatch)>;
using TNotifyEvent = std::function<void(TZip& sender)>;
using TProgressWindowMaker = std::function<std::unique_ptr<TZipProgressView>(TZip& owner)>;

// Extraction options: an existing file is replaced only when it is older than the member (1, or 2), the user
// is asked before a file is replaced (8); without any of them every existing file is replaced.
inline constexpr std::uint8_t ExtractReplaceOlder = 1;
inline constexpr std::uint8_t ExtractUpdateOlder = 2;
inline constexpr std::uint8_t ExtractFreshen = 4;
inline constexpr std::uint8_t ExtractAskReplace = 8;
inline constexpr std::uint8_t ExtractWithFolders = 16;

// The file name of the unzip library in its folder.
extern const char* const UnzipLibraryName;

// A zip archive's list of members, read from its central directory, and the extraction of chosen members
// through the unzip library. Files are opened and closed within each operation.
class TZip {
public:
    TZip();
    ~TZip();
    TZip(const TZip&) = delete;
    TZip& operator=(const TZip&) = delete;

    bool ShowProgressDialog = true;
    TZEDBeginFileEvent OnZEDBeginFileEvent;
    TProgressEvent OnZEDProgressEvent;
    TZEDEndBatchEvent OnZEDEndBatchEvent;
    TNotifyEvent OnContentsChanged;

    // Makes the progress window shown during an extraction; without it no window is shown.
    TProgressWindowMaker MakeProgressWindow;
    // The program's folder, where the unzip library lies beside it or in the install's library folder; empty means
    // the library is looked for by the system.
    std::string LibraryFolder;
    // Target folder of an extraction; empty means the archive's own folder.
    std::string ExtractFolder;
    std::uint8_t ExtractOptions = ExtractReplaceOlder;
    // Names of the members to extract, as EntryAt lists them; emptied by every successful Extract.
    std::vector<std::string> MemberSpecs;
    // Set by Cancel; the library stops at its next callback.
    bool CancelRequested = false;

    // Reads the directory of the archive at `path`. A missing file is created as an empty archive; an empty
    // path leaves the list empty. Throws ZipException when the archive cannot be read.
    void Open(const std::string& path);
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    // The member at `index`; throws ZipException "Index range error" outside 0 .. EntryCount() - 1.
    TFileInfo EntryAt(int index) const;
    void ClearEntries() { entries_.clear(); }

    // Extracts the members named in MemberSpecs into ExtractFolder; returns the library's result, or 0 when
    // nothing was started. Throws ZipException when the library cannot be loaded.
    std::int32_t Extract();

    const std::string& ArchivePath() const { return archivePath_; }
    const std::string& ArchiveComment() const { return archiveComment_; } // raw bytes, as stored
    const TEndRecord& EndRecord() const { return endRecord_; }
    std::int64_t EndRecordPos() const { return endRecordPos_; }
    bool OemNames() const { return oemNames_; }
    TZipProgressView* ProgressWindow() const { return progressWindow_.get(); }

private:
    void ReadCentralDirectory();
    // Reads the entries from `start` of `file`; false when a header is missing, short or spanned onto a disk that
    // was not inserted. The file of the next disk of a spanned archive replaces `file`.
    bool ReadEntries(const std::string& path, std::unique_ptr<TZipFile>& file, std::int64_t start);
    std::int32_t RunLibrary();
    static std::int32_t Callback(TUnzCallbackRecord* record);
    void HandleCallback(TUnzCallbackRecord& record);
    void HideProgress();
    void ShowProgress();

    std::string archivePath_;
    std::string archivePassword_;
    bool oemNames_ = false;
    std::vector<TFileInfo> entries_;
    TEndRecord endRecord_;
    std::string archiveComment_;
    std::int64_t endRecordPos_ = -1;
    std::unique_ptr<TZipProgressView> progressWindow_;
    // A failure inside the callback, raised again once the library has returned.
    std::exception_ptr callbackError_;

    // Counters of the running batch, as the library reports them.
    std::string currentMember_;
    std::int32_t batchCount_ = 0;
    std::int32_t batchBytes_ = 0;
    std::int32_t bytesDone_ = 0;
    std::int32_t skippedCount_ = 0;
};

// Support routines for archives spanned over removable disks; drives are read through SystemVolumes().

// The drive kind of `path`: DriveNoRootDir for an empty path.
int DriveKind(const std::string& path);
// The volume label of the drive holding `path`; false when the drive cannot be read.
bool VolumeLabel(const std::string& path, std::string& label);
// The disk number of a spanned archive's disk holding `path` (label "PKBACK# 003" is disk 3); 0 for a file
// that does not exist, is not on a removable disk, or whose disk has no such label.
int SpanDiskNumber(const std::string& path);
// Asks for disk `disk` of a spanned archive until it is in the drive; false when the user cancels.
bool AskForDisk(const std::string& path, int disk);

// Loads the unzip library from `folder` once; false when it is missing or lacks one of its functions.
bool LoadUnzipLibrary(const std::string& folder);
// The message of an unzip library that cannot be loaded: Unable to load "UnzDll.so".
std::string UnzipLibraryMissing();
// Unloads the unzip library.
void FreeUnzipLibrary();
