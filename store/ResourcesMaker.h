// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/EResourcesMaker.h"
#include "store/ExtractTarget.h"
#include "store/FileHandle.h"
#include "store/ResourceFormat.h"
#include "store/ResourcesObserver.h"
#include "store/TempFolder.h"
#include "store/ZlibStream.h"

#include <cstdint>
#include <string>
#include <vector>

// What the store tells of one member, in texts for the user.
struct THeadExtraInfos {
    std::string Path;           // folder part of the stored name with its trailing backslash; empty when none
    std::string FileName;       // last component of the stored name
    std::string TypeName;       // file type description judged from the name
    std::string SizeText;       // real size, SizeToText
    std::string PackedSizeText; // packed size, SizeToText
    std::string RatioText;      // "0%" for an empty member, else 100 - packed * 100 / real, then "%"
    std::string AttributeText;  // stored attributes, AttributesToText long form
    int IconIndex = 0;          // ShellIconIndex of the name
};

// One member as found in the file: where its data begins, and its header.
struct TResourceEntry {
    std::int64_t dataOffset = 0;
    TResourceHeader header;
};

// How a store is opened: only to look into it (list, extract), or to change it (add, delete).
enum class TStoreAccess {
    ReadOnly,  // the file must exist and hold a store; nothing is ever written to it
    ReadWrite, // a missing file is created as an empty store, a file without one gets an empty one appended
};

// A resource store: a file of named members, each one zlib stream behind a 292-byte header, closed by a
// 28-byte trailer; the store may follow the bytes of a host file. Opened for one operation and released.
// Names and passwords are UTF-8 here and Windows-1252 in the file; names match with a-z folded to A-Z.
// While it lives the store holds its file with an exclusive lock, except the running executable, which it
// opens read-only and shared.
class TResourcesMaker {
public:
    // Opens the store `fileName` as `access` says. Read-write, a missing file is created as an empty store and
    // an empty store is appended to a file that holds none; an add that was cut short (the program killed) is
    // undone. Read-only, a missing file is the system's error and a file without a store is EResourcesMaker
    // "<path>: not a resource store". Throws ErmInvalidPassWord when `passWord` does not match, and
    // EResourcesMaker when the scrambled password exceeds 7 bytes, the file is damaged or already open.
    TResourcesMaker(const std::string& fileName, const std::string& passWord,
                    TStoreAccess access = TStoreAccess::ReadWrite);
    TResourcesMaker(const TResourcesMaker&) = delete;
    TResourcesMaker& operator=(const TResourcesMaker&) = delete;
    // Closes the files and removes the temporary folder with what it holds.
    ~TResourcesMaker();

    // Number of members.
    int Count() const { return static_cast<int>(directory_.size()); }

    // Stored name of member `index` (from 0); empty past the last.
    std::string ResourceName(int index) const;

    // Packed size of member `index`; -1 past the last.
    std::int32_t PackedSize(int index) const;

    // Real size of member `index`; -1 past the last.
    std::int32_t RealSize(int index) const;

    // Stored attribute bits of member `index`; -1 past the last.
    std::int32_t ResourceAttributes(int index) const;

    // The texts describing member `index`; throws EResourcesMaker past the last.
    THeadExtraInfos GetExtraInfos(int index) const;

    // True when the file at `path` holds exactly the content of member `index`: its size, and the Adler-32 that
    // ends the member's zlib stream. False when it does not, or cannot be read.
    bool FileHoldsMember(const std::string& path, int index) const;
    // True when a member of that name exists (letter case of a-z ignored).
    bool ResourceExists(const std::string& name) const;

    // The data offset of the first member of that name, and a copy of its header in `header`; throws
    // ErmResNotFound.
    std::int64_t GetHeader(const std::string& name, TResourceHeader& header) const;

    // Packs the file `sourcePath` as the last member named `storedName` (the source path when empty; "/"
    // stored as "\"). An existing member of that name is replaced with `overwrite` once the new one is packed,
    // else ErmResAlreadyExists. Throws EResourcesMaker for a name over 260 bytes, a read-only store, or a store
    // whose last member claims more data than the file holds (delete that member first). Whenever it stops,
    // killed included, the file holds either the old store or the new one.
    void AddResource(const std::string& sourcePath, const std::string& storedName, bool overwrite);

    // Unpacks member `storedName` below `folder` as `mode` says, creating the folders; the file is replaced
    // only when the member unpacked whole. Throws ErmResNotFound, ErmFileAlreadyExists without `overwrite`, and
    // EResourcesMaker naming the member when it is damaged or would lead outside `folder`.
    void ExtractResource(const std::string& folder, const std::string& storedName, bool overwrite,
                         TExtractPathMode mode);

    // Removes member `storedName` by rewriting the file through a copy beside it; throws ErmResNotFound.
    void DeleteResource(const std::string& storedName);

    // The store's private temporary folder.
    const std::string& TempFolder() const { return tempFolder_.Path(); }

    // The store's path as given.
    const std::string& FileName() const { return fileName_; }

    // Packing level: 0 best compression, 1 zlib's default (from construction), 2 best speed, other none.
    int CompressionLevel() const { return compressionLevel_; }

    // Sets the packing level of the next additions.
    void SetCompressionLevel(int level) { compressionLevel_ = level; }

    // Sends reports to `observer` (none when null); the observer must outlive the store or be detached.
    void SetObserver(TResourcesObserver* observer) { observer_ = observer; }

private:
    void OpenExisting(TStoreAccess access);
    bool HoldsTrailer() const;
    void ReadTrailer();
    void UndoUnfinishedAdd();
    void ReadDirectory();
    TPackedSizes PackToTemp(const TFileHandle& source);
    void UnpackTo(const TResourceEntry& entry, const std::string& storedName, const std::string& target) const;
    // Appends the packed member behind `header` to `file`, a store file; returns its data offset.
    std::int64_t AppendMember(TFileHandle& file, const TResourceHeader& header) const;
    // Rewrites the store through a copy beside it, without member `removedName` and with `added` (in the packing
    // file) as its last member when given; the copy takes the store's place once whole.
    void Rewrite(const std::string& removedName, const TResourceHeader* added);
    const TResourceEntry* Find(const std::string& name) const;
    const TResourceEntry* At(int index) const;
    void RequireWritable() const;
    void ShowStatus(const std::string& text) const;

    // Destroyed last, so the files in it are closed by then.
    TTempFolder tempFolder_;
    std::string fileName_;
    std::string scrambledPassWord_;
    TFileHandle file_;
    bool readOnly_ = false;
    TTrailerBytes trailer_{};
    // The last member claims data beyond the trailer: members added behind it could not be found again.
    bool chainBroken_ = false;
    // Where the directory met a copy of the trailer before the end: an add stopped there before its member
    // joined the chain; -1 when none.
    std::int64_t unfinishedAdd_ = -1;
    std::int64_t startOffset_ = 0;
    TFileHandle packFile_;
    std::vector<TResourceEntry> directory_;
    int compressionLevel_ = 1;
    TResourcesObserver* observer_ = nullptr;
};
