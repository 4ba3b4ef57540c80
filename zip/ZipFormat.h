// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The records of a zip archive (PKWARE's APPNOTE) that the reader and the unzip library read, and the routines
// that find them. Plain C++: no exceptions leave this unit; every routine says what it found.

inline constexpr std::uint32_t EndRecordSignature = 0x06054B50;
inline constexpr std::uint32_t CentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t Zip64LocatorSignature = 0x07064B50;
inline constexpr std::int64_t EndRecordSize = 22;
inline constexpr std::int64_t CentralHeaderSize = 46;
inline constexpr std::int64_t LocalHeaderSize = 30;
inline constexpr std::int64_t Zip64LocatorSize = 20;
// The longest archive comment: its length is a 16-bit field.
inline constexpr std::int64_t MaxCommentLength = 65535;

// General purpose flags of an entry.
inline constexpr std::uint16_t FlagEncrypted = 0x0001;
inline constexpr std::uint16_t FlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t FlagUtf8 = 0x0800;

// Compression methods the library extracts.
inline constexpr std::uint16_t MethodStored = 0;
inline constexpr std::uint16_t MethodDeflated = 8;

std::uint16_t ReadLe16(const unsigned char* bytes);
std::uint32_t ReadLe32(const unsigned char* bytes);

// The end of central directory record, field by field as stored.
struct TEndRecord {
    std::uint32_t Signature = EndRecordSignature;
    std::uint16_t ThisDisk = 0;
    std::uint16_t DirectoryDisk = 0;
    std::uint16_t EntriesOnDisk = 0;
    std::uint16_t TotalEntries = 0;
    std::uint32_t DirectorySize = 0;
    std::uint32_t DirectoryOffset = 0;
    std::uint16_t CommentLength = 0;

    static TEndRecord Parse(const unsigned char* bytes);
    // The 22 bytes of the record as a file stores them.
    std::string Bytes() const;
    // The record marks a ZIP64 archive by the all-ones values of its fields.
    bool HasZip64Markers() const;
};

// The fixed 46 bytes of a central file header, field by field as stored.
struct TCentralFileHeader {
    std::uint32_t Signature = 0;
    std::uint16_t VersionMadeBy = 0; // low byte: zip format version (20 = 2.0), high byte: host system
    std::uint16_t VersionNeeded = 0;
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0;
    std::uint16_t ModTime = 0; // MS-DOS time and date
    std::uint16_t ModDate = 0;
    std::uint32_t Crc32 = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint16_t NameLength = 0;
    std::uint16_t ExtraLength = 0;
    std::uint16_t CommentLength = 0;
    std::uint16_t DiskNumberStart = 0;
    std::uint16_t InternalAttributes = 0;
    std::uint32_t ExternalAttributes = 0;
    std::uint32_t LocalHeaderOffset = 0;

    static TCentralFileHeader Parse(const unsigned char* bytes);
    int HostSystem() const { return VersionMadeBy >> 8; }
    int ZipFormatVersion() const { return VersionMadeBy & 0xFF; }
};

// One member of an archive as the central directory lists it.
struct TFileInfo {
    TCentralFileHeader Header;
    bool Encrypted = false;
    std::string FileName;   // UTF-8, every "/" turned into "\"
    std::string ExtraField; // raw bytes
    std::string FileComment;
};

// Host systems whose tools store names in the OEM code page: MS-DOS, OS/2 HPFS, and NTFS as written by one
// widespread Windows tool (zip format version 5.0).
bool HasOemNames(const TCentralFileHeader& first);

// A stored name or comment as UTF-8: UTF-8 when the entry says so (flag bit 11), code page 437 when the
// archive's names are OEM; otherwise UTF-8 when the bytes are valid UTF-8 (as Unix and macOS tools write names
// without setting the flag), else Windows-1252.
std::string DecodeEntryText(const std::string& bytes, bool oemNames, std::uint16_t flags);

// Replaces every "/" of `text` by "\".
std::string SlashesToBackslashes(std::string text);

// The unzip library writes each member into a part file of the target folder first, renamed onto the member's file
// once it is whole. A part file's name holds a backslash, which no name a member is written under can hold (the
// library takes a member's bare name after its last "/" or "\\"), so a member never meets another's part file.
inline constexpr std::string_view PartFilePrefix = ".unz\\";
// True when `fileName` is a part file's name.
bool IsPartFileName(std::string_view fileName);

// A buffer of ZipChunkSize bytes, taken from those that earlier users gave back, so that archive after archive
// reuses the same memory; it is filled before it is read and never cleared.
inline constexpr std::size_t ZipChunkSize = 1 << 16;
class TZipChunk {
public:
    TZipChunk();
    ~TZipChunk();
    TZipChunk(const TZipChunk&) = delete;
    TZipChunk& operator=(const TZipChunk&) = delete;

    unsigned char* Data() const { return data_.get(); }

private:
    std::unique_ptr<unsigned char[]> data_;
};

// An archive file opened for reading, read a chunk at a time at the positions asked for: a small archive is read
// by one system call, a whole directory of a few hundred members streams through one chunk.
class TZipFile {
public:
    // Opens `path`; Failed() tells whether it worked and Reason() why not.
    explicit TZipFile(const std::string& path);
    ~TZipFile();
    TZipFile(const TZipFile&) = delete;
    TZipFile& operator=(const TZipFile&) = delete;

    bool Failed() const { return failed_; }
    const std::string& Reason() const { return reason_; }
    std::int64_t Size() const { return size_; }

    // Moves to `position`, from 0 to Size(); false, without moving, for any other.
    bool Seek(std::int64_t position);
    // The position of the next byte to read; -1 after a short read, until the next Seek.
    std::int64_t Position();
    // Reads exactly `count` bytes into `out`; false on a short read.
    bool Read(std::string& out, std::size_t count);
    bool Read(unsigned char* out, std::size_t count);

private:
    int fd_ = -1;
    TZipChunk chunk_;
    std::int64_t chunkStart_ = 0; // the file's bytes from chunkStart_ on are in the chunk
    std::size_t chunkSize_ = 0;
    std::int64_t position_ = 0;
    bool shortRead_ = false;
    std::int64_t size_ = 0;
    bool failed_ = false;
    std::string reason_;
};

// Where the end record of the open archive lies, or nullopt. The last 22 bytes are tried first (an archive
// without comment); otherwise the last 65535 + 22 bytes are searched backwards. Of several records the one
// that fits the file (its comment reaches the end, its directory ends where it begins) is preferred, so that
// a zip stored in the comment of another is not taken for it.
std::optional<std::int64_t> FindEndRecord(TZipFile& file);

// True when a ZIP64 end locator stands in front of the end record at `endPosition`, or the record carries the
// ZIP64 markers.
bool IsZip64(TZipFile& file, std::int64_t endPosition, const TEndRecord& record);

// Where the central directory of a one-file archive may start, in the order to try: at "end record position
// minus directory size", so data in front of the archive does not disturb the reading, then at the stored
// directory offset. Only places where a central header stands and the entries can fit before the end record
// are given.
std::vector<std::int64_t> CentralDirectoryCandidates(TZipFile& file, std::int64_t endPosition,
                                                     const TEndRecord& record);

// True when a central file header begins at `position`.
bool HasCentralHeaderAt(TZipFile& file, std::int64_t position);

enum class TEntryRead { Read, ShortRead, BadSignature };

// Reads the central file header at the current position with its name, extra field and comment. The first
// entry of an archive decides `oemNames` for all.
TEntryRead ReadCentralEntry(TZipFile& file, bool first, bool& oemNames, TFileInfo& info);
