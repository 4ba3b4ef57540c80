// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ZipFormat.h"

#include "platform/Windows1252.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The chunks given back and kept for the next users: as many as the reader and the unzip library hold at once.
constexpr std::size_t MaxPooledChunks = 4;

struct TChunkPool {
    std::mutex mutex;
    std::vector<std::unique_ptr<unsigned char[]>> free;
};

TChunkPool& ChunkPool() {
    static TChunkPool pool;
    return pool;
}

// Host system bytes of the version made by.
constexpr int HostMsDos = 0;
constexpr int HostOs2Hpfs = 6;
constexpr int HostNtfs = 11;

bool HasSignatureAt(TZipFile& file, std::int64_t position, std::uint32_t signature) {
    unsigned char bytes[4];
    return position >= 0 && file.Seek(position) && file.Read(bytes, sizeof bytes) && ReadLe32(bytes) == signature;
}

// A record that ends with its comment exactly at the end of the file and whose directory ends right where the
// record begins: nothing about it needs the fallbacks.
bool FitsExactly(std::int64_t fileSize, std::int64_t position, const TEndRecord& record) {
    return position + EndRecordSize + record.CommentLength == fileSize &&
           (record.ThisDisk != 0 || position - std::int64_t(record.DirectorySize) == record.DirectoryOffset);
}

} // namespace

std::uint16_t ReadLe16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t ReadLe32(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
           (std::uint32_t(bytes[3]) << 24);
}

TEndRecord TEndRecord::Parse(const unsigned char* bytes) {
    TEndRecord record;
    record.Signature = ReadLe32(bytes);
    record.ThisDisk = ReadLe16(bytes + 4);
    record.DirectoryDisk = ReadLe16(bytes + 6);
    record.EntriesOnDisk = ReadLe16(bytes + 8);
    record.TotalEntries = ReadLe16(bytes + 10);
    record.DirectorySize = ReadLe32(bytes + 12);
    record.DirectoryOffset = ReadLe32(bytes + 16);
    record.CommentLength = ReadLe16(bytes + 20);
    return record;
}

std::string TEndRecord::Bytes() const {
    std::string bytes;
    const auto put = [&bytes](std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(Signature, 4);
    put(ThisDisk, 2);
    put(DirectoryDisk, 2);
    put(EntriesOnDisk, 2);
    put(TotalEntries, 2);
    put(DirectorySize, 4);
    put(DirectoryOffset, 4);
    put(CommentLength, 2);
    return bytes;
}

bool TEndRecord::HasZip64Markers() const {
    return ThisDisk == 0xFFFF || DirectoryDisk == 0xFFFF || TotalEntries == 0xFFFF || EntriesOnDisk == 0xFFFF ||
           DirectorySize == 0xFFFFFFFF || DirectoryOffset == 0xFFFFFFFF;
}

TCentralFileHeader TCentralFileHeader::Parse(const unsigned char* bytes) {
    TCentralFileHeader header;
    header.Signature = ReadLe32(bytes);
    header.VersionMadeBy = ReadLe16(bytes + 4);
    header.VersionNeeded = ReadLe16(bytes + 6);
    header.Flags = ReadLe16(bytes + 8);
    header.Method = ReadLe16(bytes + 10);
    header.ModTime = ReadLe16(bytes + 12);
    header.ModDate = ReadLe16(bytes + 14);
    header.Crc32 = ReadLe32(bytes + 16);
    header.CompressedSize = ReadLe32(bytes + 20);
    header.UncompressedSize = ReadLe32(bytes + 24);
    header.NameLength = ReadLe16(bytes + 28);
    header.ExtraLength = ReadLe16(bytes + 30);
    header.CommentLength = ReadLe16(bytes + 32);
    header.DiskNumberStart = ReadLe16(bytes + 34);
    header.InternalAttributes = ReadLe16(bytes + 36);
    header.ExternalAttributes = ReadLe32(bytes + 38);
    header.LocalHeaderOffset = ReadLe32(bytes + 42);
    return header;
}

bool HasOemNames(const TCentralFileHeader& first) {
    const int host = first.HostSystem();
    return host == HostMsDos || host == HostOs2Hpfs || (host == HostNtfs && first.ZipFormatVersion() == 50);
}

std::string DecodeEntryText(const std::string& bytes, bool oemNames, std::uint16_t flags) {
    return oemNames && (flags & FlagUtf8) == 0 ? DecodeCodePage437(bytes) : DecodeUtf8OrWindows1252(bytes);
}

std::string SlashesToBackslashes(std::string text) {
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool IsPartFileName(std::string_view fileName) {
    return fileName.starts_with(PartFilePrefix);
}

TZipChunk::TZipChunk() {
    const std::lock_guard lock(ChunkPool().mutex);
    if (ChunkPool().free.empty()) {
        data_.reset(new unsigned char[ZipChunkSize]);
        return;
    }
    data_ = std::move(ChunkPool().free.back());
    ChunkPool().free.pop_back();
}

TZipChunk::~TZipChunk() {
    const std::lock_guard lock(ChunkPool().mutex);
    if (ChunkPool().free.size() < MaxPooledChunks)
        ChunkPool().free.push_back(std::move(data_));
}

TZipFile::TZipFile(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
        failed_ = true;
        reason_ = std::strerror(errno);
        return;
    }
    size_ = static_cast<std::int64_t>(status.st_size);
}

TZipFile::~TZipFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool TZipFile::Seek(std::int64_t position) {
    if (position < 0 || position > size_)
        return false;
    position_ = position;
    shortRead_ = false;
    return true;
}

std::int64_t TZipFile::Position() {
    return shortRead_ ? -1 : position_;
}

bool TZipFile::Read(unsigned char* out, std::size_t count) {
    if (shortRead_ || failed_)
        return false;
    while (count > 0) {
        const std::int64_t inChunk = chunkStart_ + static_cast<std::int64_t>(chunkSize_) - position_;
        if (position_ >= chunkStart_ && inChunk > 0) {
            const std::size_t taken = std::min(count, static_cast<std::size_t>(inChunk));
            std::memcpy(out, chunk_.Data() + (position_ - chunkStart_), taken);
            out += taken;
            count -= taken;
            position_ += static_cast<std::int64_t>(taken);
            continue;
        }
        // What fills a chunk or more goes straight to `out`; less is read as a whole chunk for the reads that follow.
        // A chunk ends at the file's end at the latest: the end record and the directory in front of it, and all
        // of a small archive, come in one read.
        const bool direct = count >= ZipChunkSize;
        const std::int64_t start =
            direct ? position_ : std::max<std::int64_t>(0, std::min(position_, size_ - std::int64_t(ZipChunkSize)));
        const ssize_t read = ::pread(fd_, direct ? out : chunk_.Data(), direct ? count : ZipChunkSize, start);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0 || (!direct && start + read <= position_)) {
            shortRead_ = true;
            return false;
        }
        if (direct) {
            out += read;
            count -= static_cast<std::size_t>(read);
            position_ += read;
        } else {
            chunkStart_ = start;
            chunkSize_ = static_cast<std::size_t>(read);
        }
    }
    return true;
}

bool TZipFile::Read(std::string& out, std::size_t count) {
    out.resize(count);
    return Read(reinterpret_cast<unsigned char*>(out.data()), count);
}

std::optional<std::int64_t> FindEndRecord(TZipFile& file) {
    const std::int64_t size = file.Size();
    if (size < EndRecordSize)
        return std::nullopt;
    unsigned char probe[EndRecordSize];
    if (file.Seek(size - EndRecordSize) && file.Read(probe, sizeof probe) && ReadLe32(probe) == EndRecordSignature &&
        FitsExactly(size, size - EndRecordSize, TEndRecord::Parse(probe)))
        return size - EndRecordSize;

    const std::int64_t length = std::min(size, MaxCommentLength + EndRecordSize);
    std::vector<unsigned char> tail(static_cast<std::size_t>(length));
    const std::int64_t start = size - length;
    if (!file.Seek(start) || !file.Read(tail.data(), tail.size()))
        return std::nullopt;
    std::optional<std::int64_t> firstFitting;
    std::optional<std::int64_t> first;
    for (std::int64_t offset = length - EndRecordSize; offset >= 0; --offset) {
        const unsigned char* candidate = tail.data() + offset;
        if (ReadLe32(candidate) != EndRecordSignature)
            continue;
        const TEndRecord record = TEndRecord::Parse(candidate);
        const std::int64_t position = start + offset;
        if (FitsExactly(size, position, record))
            return position;
        if (!firstFitting && position + EndRecordSize + record.CommentLength <= size)
            firstFitting = position;
        if (!first)
            first = position;
    }
    return firstFitting ? firstFitting : first;
}

bool IsZip64(TZipFile& file, std::int64_t endPosition, const TEndRecord& record) {
    return record.HasZip64Markers() || HasSignatureAt(file, endPosition - Zip64LocatorSize, Zip64LocatorSignature);
}

bool HasCentralHeaderAt(TZipFile& file, std::int64_t position) {
    return HasSignatureAt(file, position, CentralHeaderSignature);
}

std::vector<std::int64_t> CentralDirectoryCandidates(TZipFile& file, std::int64_t endPosition,
                                                     const TEndRecord& record) {
    std::vector<std::int64_t> candidates;
    for (const std::int64_t start :
         {endPosition - std::int64_t(record.DirectorySize), std::int64_t(record.DirectoryOffset)}) {
        const bool fits = start >= 0 && std::int64_t(record.TotalEntries) * CentralHeaderSize <= endPosition - start;
        if (fits && std::find(candidates.begin(), candidates.end(), start) == candidates.end() &&
            HasSignatureAt(file, start, CentralHeaderSignature))
            candidates.push_back(start);
    }
    return candidates;
}

TEntryRead ReadCentralEntry(TZipFile& file, bool first, bool& oemNames, TFileInfo& info) {
    unsigned char bytes[CentralHeaderSize];
    if (!file.Read(bytes, sizeof bytes))
        return TEntryRead::ShortRead;
    const TCentralFileHeader header = TCentralFileHeader::Parse(bytes);
    if (header.Signature != CentralHeaderSignature)
        return TEntryRead::BadSignature;
    if (first)
        oemNames = HasOemNames(header);
    std::string name, comment;
    if (!file.Read(name, header.NameLength) || !file.Read(info.ExtraField, header.ExtraLength) ||
        !file.Read(comment, header.CommentLength))
        return TEntryRead::ShortRead;
    info.Header = header;
    info.Encrypted = (header.Flags & FlagEncrypted) != 0;
    info.FileName = SlashesToBackslashes(DecodeEntryText(name, oemNames, header.Flags));
    info.FileComment = DecodeEntryText(comment, oemNames, header.Flags);
    return TEntryRead::Read;
}
