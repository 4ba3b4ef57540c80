// SPDX-License-Identifier: GPL-3.0-or-later
// The unzip library: extracts named members of a zip archive into the current folder, each under its bare
// name, reporting to and asking its caller through the callback of the command record.
#include "platform/AtomicFile.h"
#include "zip/UnzDllApi.h"
#include "zip/ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t LibraryVersion = 160;
constexpr int PasswordTries = 3;
constexpr std::size_t EncryptionHeaderSize = 12;
constexpr int MaxPartFileTries = 100;

// Traditional PKWARE encryption: three keys stirred by every plain byte.
class TPkwareKeys {
public:
    explicit TPkwareKeys(const std::string& password) {
        for (const char c : password)
            Update(static_cast<unsigned char>(c));
    }

    unsigned char Decrypt(unsigned char cipher) {
        const std::uint32_t temp = (keys_[2] | 2) & 0xFFFF;
        const auto plain = static_cast<unsigned char>(cipher ^ (((temp * (temp ^ 1)) >> 8) & 0xFF));
        Update(plain);
        return plain;
    }

private:
    static std::uint32_t Crc(std::uint32_t crc, unsigned char byte) {
        return static_cast<std::uint32_t>(get_crc_table()[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
    }

    void Update(unsigned char byte) {
        keys_[0] = Crc(keys_[0], byte);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
        keys_[2] = Crc(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
    }

    std::array<std::uint32_t, 3> keys_{0x12345678, 0x23456789, 0x34567890};
};

// A raw deflate stream, ended whatever happens.
class TInflater {
public:
    TInflater() : ok_(inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {}
    ~TInflater() {
        if (ok_)
            inflateEnd(&stream_);
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    bool Ok() const { return ok_; }
    z_stream& Stream() { return stream_; }

private:
    z_stream stream_{};
    bool ok_;
};

// A file written in the target folder under a name of its own that no member is written under (see
// PartFilePrefix), and renamed onto its target once it is complete; removed when it is not kept. Written straight
// through its descriptor: the caller hands it whole chunks.
class TPartFile {
public:
    TPartFile() {
        // Another extraction into the same folder may hold a name: the next one is tried.
        static const std::string owner = std::to_string(::getpid()) + '.';
        static std::uint64_t serial = 0;
        const auto seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int tries = 0; tries < MaxPartFileTries && fd_ < 0; ++tries) {
            path_ = std::string(PartFilePrefix) + owner + std::to_string(seed ^ serial++);
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST)
                return;
        }
        created_ = fd_ >= 0;
    }
    ~TPartFile() {
        Close();
        if (created_ && !kept_)
            ::unlink(path_.c_str());
    }
    TPartFile(const TPartFile&) = delete;
    TPartFile& operator=(const TPartFile&) = delete;

    bool Opened() const { return created_; }
    bool Write(const unsigned char* bytes, std::size_t count) {
        return WriteAll(fd_, std::string_view(reinterpret_cast<const char*>(bytes), count));
    }
    // Renames the finished file onto `target` (a link named so is replaced, never followed), keeping the
    // permissions of `replaced`, the file found there before, and dates it `time`.
    bool Keep(const std::string& target, const fs::file_status& replaced, fs::file_time_type time) {
        if (!Close())
            return false;
        std::error_code error;
        if (fs::is_regular_file(replaced))
            fs::permissions(path_, replaced.permissions(), error);
        fs::rename(path_, target, error);
        if (error)
            return false;
        kept_ = true;
        fs::last_write_time(target, time, error);
        return true;
    }

private:
    bool Close() {
        const bool closed = fd_ < 0 || ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

    std::string path_;
    int fd_ = -1;
    bool created_ = false;
    bool kept_ = false;
};

// The name a member is written under: the part after its last folder separator. Empty when that part is
// empty, made only of dots, or holds a character no file name may hold.
std::string BareName(const std::string& name) {
    const std::size_t separator = name.find_last_of("\\/");
    std::string bare = separator == std::string::npos ? name : name.substr(separator + 1);
    if (bare.find_first_not_of('.') == std::string::npos || bare.find('\0') != std::string::npos)
        return std::string();
#if defined(_WIN32)
    if (bare.find_first_of(":*?\"<>|") != std::string::npos)
        return std::string();
#endif
    return bare;
}

// The MS-DOS date and time of a member as a file time, read in local time as zip tools write it.
fs::file_time_type MemberTime(const TCentralFileHeader& header) {
    std::tm local{};
    local.tm_year = ((header.ModDate >> 9) & 0x7F) + 80;
    local.tm_mon = ((header.ModDate >> 5) & 0x0F) - 1;
    local.tm_mday = header.ModDate & 0x1F;
    local.tm_hour = (header.ModTime >> 11) & 0x1F;
    local.tm_min = (header.ModTime >> 5) & 0x3F;
    local.tm_sec = (header.ModTime & 0x1F) * 2;
    local.tm_isdst = -1;
    const auto seconds = std::chrono::system_clock::from_time_t(std::mktime(&local));
    return std::chrono::file_clock::from_sys(seconds);
}

std::int32_t Clamp32(std::uint64_t value) {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(value, 0x7FFFFFFF));
}

// One run of UnzDllExec.
class TBatch {
public:
    explicit TBatch(const TUnzCommand& command) : command_(command) {}

    // The number of files written, or -1 when the archive cannot be read or the caller stopped the batch.
    std::int32_t Run() {
        if (command_.ArchivePath == nullptr || command_.Callback == nullptr)
            return -1;
        TZipFile file(command_.ArchivePath);
        if (file.Failed() || !ReadDirectory(file))
            return -1;
        std::unordered_set<std::string> wanted;
        for (std::int32_t i = 0; i < command_.MemberCount; ++i)
            if (command_.Members[i].Name != nullptr)
                wanted.insert(command_.Members[i].Name);
        std::vector<const TFileInfo*> batch;
        std::uint64_t totalBytes = 0;
        for (const TFileInfo& entry : entries_)
            if (wanted.contains(entry.FileName)) {
                batch.push_back(&entry);
                totalBytes += entry.Header.UncompressedSize;
            }
        if (!Report(UnzBatchCount, {}, 0, static_cast<std::int32_t>(batch.size())) ||
            !Report(UnzBatchBytes, {}, 0, Clamp32(totalBytes)))
            return -1;
        std::int32_t written = 0;
        for (const TFileInfo* entry : batch) {
            const auto outcome = ExtractMember(file, *entry);
            if (outcome == TOutcome::Stopped)
                return -1;
            if (outcome == TOutcome::Written)
                ++written;
            else if (!Report(UnzSkipped, entry->FileName, 0, 0))
                return -1;
        }
        return Report(UnzBatchEnds, {}, 0, 0) ? written : -1;
    }

private:
    enum class TOutcome { Written, Skipped, Stopped };

    // Reports `action` to the caller; false when the caller asks to stop.
    bool Report(std::int32_t action, const std::string& text, std::int32_t flag, std::int32_t number) {
        record_ = TUnzCallbackRecord{};
        record_.Caller = command_.Caller;
        record_.Action = action;
        record_.Flag = flag;
        record_.Number = number;
        text.copy(record_.Text, sizeof record_.Text - 1);
        return command_.Callback(&record_) != UnzStop;
    }

    bool ReadDirectory(TZipFile& file) {
        const auto position = FindEndRecord(file);
        unsigned char bytes[EndRecordSize];
        if (!position || !file.Seek(*position) || !file.Read(bytes, sizeof bytes))
            return false;
        const TEndRecord record = TEndRecord::Parse(bytes);
        if (record.ThisDisk != 0 || IsZip64(file, *position, record))
            return false;
        if (record.TotalEntries == 0)
            return true;
        for (const std::int64_t start : CentralDirectoryCandidates(file, *position, record)) {
            shift_ = start - std::int64_t(record.DirectoryOffset);
            file.Seek(start);
            bool oemNames = false;
            entries_.assign(record.TotalEntries, TFileInfo());
            std::size_t read = 0;
            while (read < entries_.size() &&
                   ReadCentralEntry(file, read == 0, oemNames, entries_[read]) == TEntryRead::Read)
                ++read;
            if (read == entries_.size())
                return true;
        }
        return false;
    }

    // Where the member's data begins, after its local header; -1 when no local header is found.
    std::int64_t DataStart(TZipFile& file, const TCentralFileHeader& header) {
        for (const std::int64_t base :
             {std::int64_t(header.LocalHeaderOffset) + shift_, std::int64_t(header.LocalHeaderOffset)}) {
            unsigned char local[LocalHeaderSize];
            if (file.Seek(base) && file.Read(local, sizeof local) && ReadLe32(local) == LocalHeaderSignature)
                return base + LocalHeaderSize + ReadLe16(local + 26) + ReadLe16(local + 28);
        }
        return -1;
    }

    // Asks for passwords until one opens the member; nullopt when none does or the caller gives up.
    std::optional<TPkwareKeys> Unlock(TZipFile& file, const TFileInfo& entry, std::int64_t start, bool& stopped) {
        const std::uint8_t check =
            (entry.Header.Flags & FlagDataDescriptor) != 0 ? entry.Header.ModTime >> 8 : entry.Header.Crc32 >> 24;
        unsigned char header[EncryptionHeaderSize];
        if (!file.Seek(start) || !file.Read(header, sizeof header))
            return std::nullopt;
        std::optional<std::string> password;
        if (command_.Password != nullptr)
            password = command_.Password;
        for (std::int32_t tries = PasswordTries;;) {
            if (!password) {
                if (tries <= 0)
                    return std::nullopt;
                if (!Report(UnzPasswordNeeded, entry.FileName, 0, tries)) {
                    stopped = true;
                    return std::nullopt;
                }
                if (record_.Flag != 1)
                    return std::nullopt;
                password = std::string(record_.Text, strnlen(record_.Text, sizeof record_.Text));
                tries = record_.Number;
            }
            TPkwareKeys keys(*password);
            unsigned char last = 0;
            for (const unsigned char byte : header)
                last = keys.Decrypt(byte);
            if (last == check)
                return keys;
            password.reset();
        }
    }

    TOutcome ExtractMember(TZipFile& file, const TFileInfo& entry) {
        const TCentralFileHeader& header = entry.Header;
        if (!Report(UnzMemberBegins, entry.FileName, 0, Clamp32(header.UncompressedSize)))
            return TOutcome::Stopped;
        const std::string target = BareName(entry.FileName);
        if (target.empty() || (header.Method != MethodStored && header.Method != MethodDeflated))
            return TOutcome::Skipped;
        const fs::file_time_type memberTime = MemberTime(header);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(target, error);
        if (fs::is_directory(status))
            return TOutcome::Skipped;
        if (fs::exists(status)) {
            const bool older = fs::last_write_time(target, error) < memberTime && !error;
            if (!Report(UnzFileExists, target, older ? 1 : 0, 0))
                return TOutcome::Stopped;
            if (record_.Number != 1)
                return TOutcome::Skipped;
        }
        std::int64_t start = DataStart(file, header);
        if (start < 0)
            return TOutcome::Skipped;
        std::uint64_t remaining = header.CompressedSize;
        std::optional<TPkwareKeys> keys;
        if (entry.Encrypted) {
            bool stopped = false;
            keys = Unlock(file, entry, start, stopped);
            if (stopped)
                return TOutcome::Stopped;
            if (!keys || remaining < EncryptionHeaderSize)
                return TOutcome::Skipped;
            start += EncryptionHeaderSize;
            remaining -= EncryptionHeaderSize;
        }
        TPartFile part;
        if (!part.Opened() || !file.Seek(start))
            return TOutcome::Skipped;
        const auto written = Copy(file, header, remaining, keys, part);
        if (!written)
            return TOutcome::Stopped;
        if (!*written) {
            if (!Report(UnzCrcError, entry.FileName, 0, 0))
                return TOutcome::Stopped;
            if (record_.Flag != 1)
                return TOutcome::Skipped;
        }
        return part.Keep(target, status, memberTime) ? TOutcome::Written : TOutcome::Skipped;
    }

    // Unpacks the member's data into `part`, at most its stated size. True when the data came out whole with
    // its CRC-32, false when it is damaged; nullopt when the caller stopped the batch.
    std::optional<bool> Copy(TZipFile& file, const TCentralFileHeader& header, std::uint64_t remaining,
                             std::optional<TPkwareKeys>& keys, TPartFile& part) {
        unsigned char* const in = in_.Data();
        const bool deflated = header.Method == MethodDeflated;
        TInflater inflater;
        if (!inflater.Ok())
            return false;
        uLong crc = crc32(0, nullptr, 0);
        std::uint64_t produced = 0;
        bool ended = !deflated;
        bool sound = true;
        while (remaining > 0 && sound && !(deflated && ended)) {
            const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, ZipChunkSize));
            if (!file.Read(in, count)) {
                sound = false;
                break;
            }
            remaining -= count;
            if (keys)
                for (std::size_t i = 0; i < count; ++i)
                    in[i] = keys->Decrypt(in[i]);
            z_stream& stream = inflater.Stream();
            stream.next_in = in;
            stream.avail_in = static_cast<uInt>(count);
            do {
                // A stored member's bytes are written as they were read.
                const unsigned char* bytes = in;
                std::size_t have = count;
                if (deflated) {
                    stream.next_out = out_.Data();
                    stream.avail_out = static_cast<uInt>(ZipChunkSize);
                    const int status = inflate(&stream, Z_NO_FLUSH);
                    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                        sound = false;
                        break;
                    }
                    ended = status == Z_STREAM_END;
                    bytes = out_.Data();
                    have = ZipChunkSize - stream.avail_out;
                } else {
                    stream.avail_in = 0;
                }
                produced += have;
                if (produced > header.UncompressedSize || !part.Write(bytes, have)) {
                    sound = false;
                    break;
                }
                crc = crc32(crc, bytes, static_cast<uInt>(have));
                if (have > 0 && !Report(UnzProgress, {}, 0, static_cast<std::int32_t>(have)))
                    return std::nullopt;
                if (ended)
                    break;
            } while (stream.avail_in > 0 || (deflated && stream.avail_out == 0));
        }
        return sound && ended && produced == header.UncompressedSize && crc == header.Crc32;
    }

    const TUnzCommand& command_;
    TUnzCallbackRecord record_{};
    // The batch's buffers, filled before they are read.
    TZipChunk in_;
    TZipChunk out_;
    std::vector<TFileInfo> entries_;
    std::int64_t shift_ = 0;
};

} // namespace

UNZDLL_EXPORT std::int32_t UNZDLL_CALL UnzDllExec(const TUnzCommand* command) {
    if (command == nullptr)
        return -1;
    try {
        return TBatch(*command).Run();
    } catch (...) {
        return -1; // nothing may cross into the caller but a result
    }
}

UNZDLL_EXPORT std::int32_t UNZDLL_CALL GetUnzDllVersion() {
    return LibraryVersion;
}
