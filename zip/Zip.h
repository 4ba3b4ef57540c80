// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "zip/ZipDirectory.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct TUnzCallbackRecord;

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
    int EntryCount() const { return static_cast<int>(directory_.entries.size()); }
    // The member at `index`; throws ZipException "Index range error" outside 0 .. EntryCount() - 1.
    TFileInfo EntryAt(int index) const;
    void ClearEntries() { directory_.entries.clear(); }

    // Extracts the members named in MemberSpecs into ExtractFolder; returns the library's result, or 0 when
    // nothing was started. Throws ZipException when the library cannot be loaded.
    std::int32_t Extract();

    const std::string& ArchivePath() const { return archivePath_; }
    const std::string& ArchiveComment() const { return directory_.comment; } // raw bytes, as stored
    const TEndRecord& EndRecord() const { return directory_.endRecord; }
    std::int64_t EndRecordPos() const { return directory_.endRecordPos; }
    bool OemNames() const { return directory_.oemNames; }
    TZipProgressView* ProgressWindow() const { return progressWindow_.get(); }

private:
    std::int32_t RunLibrary();
    static std::int32_t Callback(TUnzCallbackRecord* record);
    void HandleCallback(TUnzCallbackRecord& record);
    void HideProgress();
    void ShowProgress();

    std::string archivePath_;
    std::string archivePassword_;
    TZipDirectory directory_;
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

// Loads the unzip library from `folder` once; false when it is missing or lacks one of its functions.
bool LoadUnzipLibrary(const std::string& folder);
// The message of an unzip library that cannot be loaded: Unable to load "UnzDll.so".
std::string UnzipLibraryMissing();
// Unloads the unzip library.
void FreeUnzipLibrary();
