// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ResourcesMaker.h"

#include "store/FileAttributes.h"
#include "store/FileRoutines.h"

#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/TrustedPath.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

namespace fs = std::filesystem;

namespace {

constexpr int PassWordShift = 2;

// The key under which names are compared: a-z folded to A-Z, and "/" read as the store's "\".
std::string NameKey(std::string bytes) {
    std::replace(bytes.begin(), bytes.end(), '/', '\\');
    return UpperCaseAscii(std::move(bytes));
}

int ZlibLevel(int compressionLevel) {
    switch (compressionLevel) {
    case 0:
        return Z_BEST_COMPRESSION;
    case 1:
        return Z_DEFAULT_COMPRESSION;
    case 2:
        return Z_BEST_SPEED;
    default:
        return Z_NO_COMPRESSION;
    }
}

// Creates a new file beside `path`, named after it with a unique suffix; the caller removes or renames it.
TFileHandle CreateSibling(const std::string& path) {
    std::string name = path + ".XXXXXX";
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        throw std::runtime_error("Impossible de créer le fichier " + name + " (" + std::strerror(errno) + ")");
    return TFileHandle(descriptor, name);
}

// Removes a scratch file unless the work that made it succeeded.
class TRemoveUnlessKept {
public:
    explicit TRemoveUnlessKept(std::string path) : path_(std::move(path)) {}
    TRemoveUnlessKept(const TRemoveUnlessKept&) = delete;
    TRemoveUnlessKept& operator=(const TRemoveUnlessKept&) = delete;
    ~TRemoveUnlessKept() {
        if (!kept_)
            ::unlink(path_.c_str());
    }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

TResourcesMaker::TResourcesMaker(const std::string& fileName, const std::string& passWord, TStoreAccess access)
    : fileName_(fileName) {
    bool lost = false;
    scrambledPassWord_ = ScramblePassWord(UpperCaseAscii(EncodeWindows1252(passWord, &lost)), PassWordShift);
    // The trailer holds 7 bytes and a terminator; a longer or unencodable password could never match again.
    if (lost || scrambledPassWord_.size() > MaxPassWordLength || scrambledPassWord_.find('\0') != std::string::npos)
        throw EResourcesMaker("Mot de passe non accepté : 7 caractères au plus");
    std::error_code error;
    if (access == TStoreAccess::ReadOnly || fs::exists(fileName_, error)) {
        OpenExisting(access);
        return;
    }
    file_ = TFileHandle(fileName_, O_RDWR | O_CREAT | O_EXCL);
    if (!file_.TryLock())
        throw EResourcesMaker("L'archive est déjà ouverte par ailleurs (" + fileName_ + ")");
    ReadTrailer();
}

TResourcesMaker::~TResourcesMaker() = default;

void TResourcesMaker::OpenExisting(TStoreAccess access) {
    std::error_code error;
    // The running program may carry a store of its own, but the system keeps it from being written.
    const bool running = fs::equivalent(fileName_, GetProgramPath(), error) && !error;
    readOnly_ = running || access == TStoreAccess::ReadOnly;
    file_ = TFileHandle(fileName_, readOnly_ ? O_RDONLY : O_RDWR);
    // Readers share the file with one another; a writer has it alone.
    if (!running && !(readOnly_ ? file_.TryLockShared() : file_.TryLock()))
        throw EResourcesMaker("L'archive est déjà ouverte par ailleurs (" + fileName_ + ")");
    if (access == TStoreAccess::ReadOnly && !running && !HoldsTrailer())
        throw EResourcesMaker(fileName_ + ": not a resource store");
    ReadTrailer();
    if (UpperCaseAscii(DecodeTrailer(trailer_)->passWord) != UpperCaseAscii(scrambledPassWord_))
        throw ErmInvalidPassWord();
    ReadDirectory();
    if (!readOnly_)
        UndoUnfinishedAdd();
}

bool TResourcesMaker::HoldsTrailer() const {
    const std::int64_t size = file_.Size();
    TTrailerBytes bytes{};
    return size >= static_cast<std::int64_t>(TrailerSize) &&
           file_.ReadAt(size - static_cast<std::int64_t>(TrailerSize), bytes.data(), TrailerSize) == TrailerSize &&
           DecodeTrailer(bytes).has_value();
}

void TResourcesMaker::UndoUnfinishedAdd() {
    if (unfinishedAdd_ < 0)
        return;
    // The old trailer still stands where the unfinished member would have begun: cutting the file behind it gives
    // back the old store byte for byte.
    file_.Resize(unfinishedAdd_ + static_cast<std::int64_t>(TrailerSize));
    file_.Sync();
    unfinishedAdd_ = -1;
}

void TResourcesMaker::ReadTrailer() {
    const std::int64_t size = file_.Size();
    trailer_ = {};
    if (size >= static_cast<std::int64_t>(TrailerSize))
        file_.ReadAt(size - static_cast<std::int64_t>(TrailerSize), trailer_.data(), TrailerSize);
    if (const auto trailer = DecodeTrailer(trailer_)) {
        startOffset_ = trailer->startOffset;
        if (startOffset_ < 0 || startOffset_ > size - static_cast<std::int64_t>(TrailerSize))
            throw EResourcesMaker("Archive endommagée (" + fileName_ + ")");
        return;
    }
    // A file without a store becomes the host of an empty one that starts after its last byte.
    if (size > INT32_MAX)
        throw EResourcesMaker("Fichier trop grand pour recevoir une archive (" + fileName_ + ")");
    startOffset_ = size;
    trailer_ = EncodeTrailer({static_cast<std::int32_t>(size), scrambledPassWord_});
    if (!readOnly_)
        file_.WriteAt(size, trailer_.data(), TrailerSize);
}

void TResourcesMaker::ReadDirectory() {
    directory_.clear();
    chainBroken_ = false;
    unfinishedAdd_ = -1;
    const std::int64_t end = file_.Size() - static_cast<std::int64_t>(TrailerSize);
    constexpr auto headerSize = static_cast<std::int64_t>(HeaderSize);
    std::int64_t position = startOffset_;
    std::int64_t skip = 1;
    while (end - position >= headerSize) {
        THeaderBytes bytes{};
        file_.ReadAt(position, bytes.data(), HeaderSize);
        // An add puts a copy of the trailer at the new end first and writes the member's header over the old
        // trailer last: meeting that old trailer on an unbroken chain means the add never finished, and the
        // store ends here.
        if (skip == 1 && std::equal(trailer_.begin(), trailer_.end(), bytes.begin())) {
            unfinishedAdd_ = position;
            break;
        }
        auto header = DecodeHeader(bytes);
        if (!header) {
            // Damaged chain: look further on, a little further at each miss.
            position += headerSize + skip++;
            continue;
        }
        const std::int64_t dataOffset = position + headerSize;
        const std::int32_t packed = header->packedSize;
        directory_.push_back({dataOffset, std::move(*header)});
        // A member claiming more data than the file holds ends the chain; extracting it says so.
        if (packed < 0 || packed > end - dataOffset) {
            chainBroken_ = true;
            break;
        }
        position = dataOffset + packed;
    }
}

const TResourceEntry* TResourcesMaker::At(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return &directory_[static_cast<std::size_t>(index)];
}

std::string TResourcesMaker::ResourceName(int index) const {
    const TResourceEntry* entry = At(index);
    return entry ? DecodeWindows1252(entry->header.name) : std::string();
}

std::int32_t TResourcesMaker::PackedSize(int index) const {
    const TResourceEntry* entry = At(index);
    return entry ? entry->header.packedSize : -1;
}

std::int32_t TResourcesMaker::RealSize(int index) const {
    const TResourceEntry* entry = At(index);
    return entry ? entry->header.realSize : -1;
}

bool TResourcesMaker::FileHoldsMember(const std::string& path, int index) const {
    const TResourceEntry* entry = At(index);
    // A zlib stream is at least its 2-byte header, its data and its 4-byte Adler-32.
    if (!entry || entry->header.packedSize < 6)
        return false;
    unsigned char stored[4];
    if (file_.ReadAt(entry->dataOffset + entry->header.packedSize - 4, reinterpret_cast<char*>(stored), 4) != 4)
        return false;
    const uLong expected = uLong{stored[0]} << 24 | uLong{stored[1]} << 16 | uLong{stored[2]} << 8 | stored[3];
    try {
        const TFileHandle file(path, O_RDONLY);
        if (file.Size() != entry->header.realSize)
            return false;
        uLong checksum = adler32(0, nullptr, 0);
        std::vector<char> buffer(64 * 1024);
        std::int64_t offset = 0;
        while (const std::size_t count = file.ReadAt(offset, buffer.data(), buffer.size())) {
            checksum = adler32(checksum, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(count));
            offset += static_cast<std::int64_t>(count);
        }
        return offset == entry->header.realSize && checksum == expected;
    } catch (const std::runtime_error&) {
        return false;
    }
}

std::int32_t TResourcesMaker::ResourceAttributes(int index) const {
    const TResourceEntry* entry = At(index);
    return entry ? entry->header.attributes : -1;
}

THeadExtraInfos TResourcesMaker::GetExtraInfos(int index) const {
    const TResourceEntry* entry = At(index);
    if (!entry)
        throw EResourcesMaker("Index de ressource invalide (" + std::to_string(index) + ")");
    const TResourceHeader& header = entry->header;
    const std::string name = DecodeWindows1252(header.name);
    THeadExtraInfos infos;
    infos.FileName = StoredFileName(name);
    infos.Path = name.substr(0, name.size() - infos.FileName.size());
    infos.TypeName = ShellTypeName(infos.FileName, true);
    infos.SizeText = SizeToText(static_cast<std::uint32_t>(header.realSize));
    infos.PackedSizeText = SizeToText(static_cast<std::uint32_t>(header.packedSize));
    infos.RatioText = header.realSize == 0
                          ? "0%"
                          : std::to_string(100 - std::int64_t{header.packedSize} * 100 / header.realSize) + "%";
    infos.AttributeText = AttributesToText(static_cast<std::uint32_t>(header.attributes), true);
    infos.IconIndex = ShellIconIndex(infos.FileName, true, false, false);
    return infos;
}

const TResourceEntry* TResourcesMaker::Find(const std::string& name) const {
    bool lost = false;
    const std::string key = NameKey(EncodeWindows1252(name, &lost));
    if (lost)
        return nullptr;
    const auto found = std::find_if(directory_.begin(), directory_.end(),
                                    [&](const TResourceEntry& entry) { return NameKey(entry.header.name) == key; });
    return found == directory_.end() ? nullptr : &*found;
}

bool TResourcesMaker::ResourceExists(const std::string& name) const {
    return Find(name) != nullptr;
}

std::int64_t TResourcesMaker::GetHeader(const std::string& name, TResourceHeader& header) const {
    const TResourceEntry* entry = Find(name);
    if (!entry)
        throw ErmResNotFound(name);
    header = entry->header;
    return entry->dataOffset;
}

void TResourcesMaker::AddResource(const std::string& sourcePath, const std::string& storedName, bool overwrite) {
    RequireWritable();
    std::string name = storedName.empty() ? sourcePath : storedName;
    std::replace(name.begin(), name.end(), '/', '\\');
    bool lost = false;
    TResourceHeader header{EncodeWindows1252(name, &lost), 0, 0, 0};
    if (lost || header.name.empty() || header.name.find('\0') != std::string::npos)
        throw EResourcesMaker("Nom de ressource invalide (" + name + ")");
    if (header.name.size() > MaxStoredNameLength)
        throw EResourcesMaker("Nom de ressource trop long, 260 caractères au plus (" + name + ")");
    if (chainBroken_)
        throw EResourcesMaker("Archive endommagée : la ressource " + DecodeWindows1252(directory_.back().header.name) +
                              " annonce plus de données que l'archive n'en contient (" + fileName_ + ")");
    const bool replacing = ResourceExists(name);
    if (replacing && !overwrite)
        throw ErmResAlreadyExists();
    ShowStatus(name);
    header.attributes = static_cast<std::int32_t>(GetFileAttributes(sourcePath));
    // The new source is read and packed before an old member goes, so a source that fails leaves it in place.
    const TPackedSizes sizes = PackToTemp(TFileHandle(sourcePath, O_RDONLY));
    const std::int64_t growth = static_cast<std::int64_t>(HeaderSize) + sizes.packed;
    if (sizes.real > INT32_MAX || file_.Size() + growth > INT32_MAX)
        throw EResourcesMaker("Fichier trop grand pour l'archive (" + sourcePath + ")");
    header.realSize = static_cast<std::int32_t>(sizes.real);
    header.packedSize = static_cast<std::int32_t>(sizes.packed);
    // A replace is one rewrite, so that no moment leaves the store without the old member and the new one.
    if (replacing)
        Rewrite(name, &header);
    else
        directory_.push_back({AppendMember(file_, header), header});
    ShowStatus(name);
    if (observer_)
        observer_->ResourceAdded(GetExtraInfos(Count() - 1));
}

TPackedSizes TResourcesMaker::PackToTemp(const TFileHandle& source) {
    packFile_.Close();
    const std::string path = JoinPath(TempFolder(), "~tmp");
    packFile_ = TFileHandle(path, O_RDWR | O_CREAT | O_TRUNC, 0600);
    const std::int64_t total = source.Size();
    const TPackedSizes sizes = DeflateFile(source, packFile_, ZlibLevel(compressionLevel_), [&](std::int64_t done) {
        if (observer_)
            observer_->ShowProgress(done, total);
    });
    if (observer_)
        observer_->ShowProgress(0, 0);
    return sizes;
}

std::int64_t TResourcesMaker::AppendMember(TFileHandle& file, const TResourceHeader& header) const {
    const std::int64_t position = file.Size() - static_cast<std::int64_t>(TrailerSize);
    const std::int64_t dataOffset = position + static_cast<std::int64_t>(HeaderSize);
    const THeaderBytes headerBytes = EncodeHeader(header);
    // First the trailer at the new end, so that the file ends with a store at every moment; the directory stops
    // at the old trailer, which stays in place, so that store is the old one. Then the data, on disk before the
    // header joins the member to the chain by overwriting the old trailer.
    try {
        file.WriteAt(dataOffset + header.packedSize, trailer_.data(), TrailerSize);
        CopyFileRange(packFile_, 0, header.packedSize, file, dataOffset);
        file.Sync();
    } catch (...) {
        try {
            file.Resize(position + static_cast<std::int64_t>(TrailerSize));
        } catch (const std::exception&) {
            // The next writable opening cuts the unfinished member off.
        }
        throw;
    }
    file.WriteAt(position, headerBytes.data(), HeaderSize);
    file.Sync();
    return dataOffset;
}

void TResourcesMaker::ExtractResource(const std::string& folder, const std::string& storedName, bool overwrite,
                                      TExtractPathMode mode) {
    const TResourceEntry* entry = Find(storedName);
    if (!entry)
        throw ErmResNotFound(storedName);
    ShowStatus(storedName);
    const TExtractTarget target = TargetPath(folder, storedName, mode);
    const std::string root = TrimFolderPath(folder);
    std::error_code error;
    fs::create_directories(root, error);
    if (error)
        throw std::runtime_error("Impossible de créer le dossier " + root + " (" + error.message() + ")");
    // The folders and the file below the destination are reached without following a link planted by others.
    const std::string below =
        ResolveBelow(root, target.folder.substr(root.size()), "Impossible de créer le dossier", true);
    const std::string file = ResolveBelow(below, NameOf(target.file), "Impossible de créer le fichier");
    const fs::file_status present = fs::symlink_status(file, error);
    if (fs::exists(present)) {
        if (!overwrite)
            throw ErmFileAlreadyExists();
        if (fs::is_regular_file(present) && (GetFileAttributes(file) & FileAttributeReadOnly))
            SetFileAttributes(file, FileAttributeArchive);
    }
    UnpackTo(*entry, storedName, file);
    SetFileAttributes(file, static_cast<std::uint32_t>(entry->header.attributes));
}

void TResourcesMaker::UnpackTo(const TResourceEntry& entry, const std::string& storedName,
                               const std::string& target) const {
    const TResourceHeader& header = entry.header;
    const std::int64_t available = file_.Size() - static_cast<std::int64_t>(TrailerSize) - entry.dataOffset;
    const auto damaged = [&](const std::string& why) {
        return EResourcesMaker("La ressource " + storedName + " est endommagée (" + why + ")");
    };
    if (header.packedSize < 0 || header.realSize < 0 || header.packedSize > available)
        throw damaged("taille annoncée au-delà de la fin de l'archive");
    // Unpacked beside the target and renamed over it, so a damaged member never leaves half a file.
    TFileHandle output = CreateSibling(target);
    TRemoveUnlessKept scratch(output.Path());
    if (header.realSize > 0) {
        try {
            InflateFile(file_, entry.dataOffset, header.packedSize, header.realSize, output);
        } catch (const EZlibData& error) {
            throw damaged(error.what());
        }
    }
    if (::fchmod(output.Descriptor(), 0666 & ~CurrentUmask()) != 0)
        throw std::runtime_error("Impossible de créer le fichier " + target + " (" + std::strerror(errno) + ")");
    output.MoveTo(target);
    scratch.Keep();
    if (observer_)
        observer_->ShowProgress(0, 0);
}

void TResourcesMaker::DeleteResource(const std::string& storedName) {
    Rewrite(storedName, nullptr);
}

void TResourcesMaker::Rewrite(const std::string& removedName, const TResourceHeader* added) {
    RequireWritable();
    const TResourceEntry* entry = Find(removedName);
    if (!entry)
        throw ErmResNotFound(removedName);
    const TResourceEntry removed = *entry;
    ShowStatus(removedName);
    const std::int64_t headerPosition = removed.dataOffset - static_cast<std::int64_t>(HeaderSize);
    const std::int64_t size = file_.Size();
    // A member that broke the chain (its size negative or past the trailer) has no known end: nothing behind
    // it could be found, so it goes up to the trailer.
    const std::int64_t end = size - static_cast<std::int64_t>(TrailerSize);
    const std::int64_t packed = removed.header.packedSize;
    const std::int64_t tail = packed < 0 || packed > end - removed.dataOffset ? end : removed.dataOffset + packed;
    TFileHandle copy = CreateSibling(fileName_);
    TRemoveUnlessKept scratch(copy.Path());
    CopyFileRange(file_, 0, headerPosition, copy, 0);
    CopyFileRange(file_, tail, size - tail, copy, headerPosition);
    if (added)
        AppendMember(copy, *added);
    struct stat status {};
    if (::fstat(file_.Descriptor(), &status) != 0 || ::fchmod(copy.Descriptor(), status.st_mode & 07777) != 0 ||
        ::fsync(copy.Descriptor()) != 0 || !copy.TryLock())
        throw std::runtime_error("Impossible de réécrire l'archive " + fileName_ + " (" + std::strerror(errno) + ")");
    copy.MoveTo(fileName_);
    scratch.Keep();
    file_ = std::move(copy);
    ReadDirectory();
    if (observer_)
        observer_->ResourceRemoved(DecodeWindows1252(removed.header.name));
}

void TResourcesMaker::RequireWritable() const {
    if (readOnly_)
        throw EResourcesMaker("L'archive est ouverte en lecture seule (" + fileName_ + ")");
}

void TResourcesMaker::ShowStatus(const std::string& text) const {
    if (observer_)
        observer_->ShowStatus(text);
}
