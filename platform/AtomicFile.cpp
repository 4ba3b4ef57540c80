// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/HugePages.h"
#include "platform/TrustedPath.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileError CannotCreate(const std::string& path, int error) {
    return FileError("Impossible de créer le fichier", path, std::strerror(error));
}

// Creates a new file beside `target` under a name no one uses, with `mode` less the umask.
int CreateScratch(const std::string& target, unsigned mode, std::string& scratch) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch = target + ".tmp" + std::to_string(random() % 1000000);
        const int fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives the new file the replaced file's mode, owner and group. Only the owner may fail: an ordinary user cannot
// give a file away, and the file then belongs to whoever saved it, with its old mode.
bool TakeOver(int fd, const struct stat& replaced) {
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
        // Not a member of the group either: the file keeps the saver's group, still with the old mode.
    }
    return ::fchmod(fd, replaced.st_mode & 07777) == 0;
}

} // namespace

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

AtomicFileWriter::AtomicFileWriter(const std::string& root, const std::string& relative, unsigned newFileMode)
    : AtomicFileWriter(root, relative, JoinBelow(root, relative), newFileMode, ReplacedFile::KeepsModeAndOwner) {}

AtomicFileWriter::AtomicFileWriter(const std::string& path, unsigned newFileMode, ReplacedFile replaced)
    : AtomicFileWriter(FolderOf(path), NameOf(path), path, newFileMode, replaced) {}

AtomicFileWriter::AtomicFileWriter(const std::string& root, const std::string& relative, std::string path,
                                   unsigned newFileMode, ReplacedFile replacing)
    : path_(std::move(path)) {
    try {
        target_ = ResolveBelow(root, relative, "Impossible de créer le fichier");
    } catch (const FileError&) {
        failure_ = std::current_exception();
        return;
    }
    struct stat replaced {};
    const bool exists = replacing == ReplacedFile::KeepsModeAndOwner && ::stat(target_.c_str(), &replaced) == 0;
    fd_ = CreateScratch(target_, newFileMode, scratch_);
    if (fd_ < 0) {
        Fail();
        scratch_.clear();
    } else if (exists && !TakeOver(fd_, replaced)) {
        Fail();
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!scratch_.empty())
        ::unlink(scratch_.c_str());
}

void AtomicFileWriter::Fail() {
    failure_ = std::make_exception_ptr(CannotCreate(path_, errno));
}

void AtomicFileWriter::Write(std::string_view piece) {
    if (!failure_ && !WriteAll(fd_, piece))
        Fail();
}

void AtomicFileWriter::Commit() {
    if (!failure_ && ::fsync(fd_) != 0)
        Fail();
    if (fd_ >= 0 && ::close(fd_) != 0 && !failure_)
        Fail();
    fd_ = -1;
    if (failure_)
        std::rethrow_exception(failure_);
    if (::rename(scratch_.c_str(), target_.c_str()) != 0)
        throw CannotCreate(path_, errno);
    scratch_.clear();
}

namespace {

std::string ReadFile(const std::string& root, const std::string& relative, const std::string& path, unsigned* mode,
                     std::size_t limit) {
    const auto fail = [&path](const std::string& reason) {
        return FileError("Impossible d'ouvrir le fichier", path, reason);
    };
    // Not blocking, so that a pipe with no writer is refused instead of waited for.
    const int fd = OpenBelow(root, relative, O_RDONLY | O_NONBLOCK);
    struct stat status {};
    const bool stated = ::fstat(fd, &status) == 0;
    if (!stated || !S_ISREG(status.st_mode)) {
        const int error = !stated ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
        ::close(fd);
        throw fail(error != 0 ? std::strerror(error) : "not a regular file");
    }
    // The size is checked before anything is read, and again while reading a file that grows meanwhile.
    const auto tooLarge = [&fail, limit] { return fail("larger than " + std::to_string(limit) + " bytes"); };
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        ::close(fd);
        throw tooLarge();
    }
    // Read a chunk at a time into a buffer that stays in the cache, then added to the text, which has room for the
    // file as it was seen: the text's memory is written once.
    constexpr std::size_t Chunk = 65536;
    std::array<char, Chunk> chunk;
    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    PreferHugePages(content.data(), content.capacity());
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw fail(std::strerror(error));
        }
        if (n == 0)
            break;
        content.append(chunk.data(), static_cast<std::size_t>(n));
        if (content.size() > limit) {
            ::close(fd);
            throw tooLarge();
        }
    }
    ::close(fd);
    if (mode != nullptr)
        *mode = status.st_mode & 07777;
    return content;
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view content, unsigned newFileMode,
                         ReplacedFile replaced) {
    AtomicFileWriter file(path, newFileMode, replaced);
    file.Write(content);
    file.Commit();
}

void WriteFileBelow(const std::string& root, const std::string& relative, std::string_view content,
                    unsigned newFileMode) {
    AtomicFileWriter file(root, relative, newFileMode);
    file.Write(content);
    file.Commit();
}

std::string ReadWholeFile(const std::string& path, std::size_t limit) {
    return ReadFile(FolderOf(path), NameOf(path), path, nullptr, limit);
}

std::string ReadFileBelow(const std::string& root, const std::string& relative, unsigned* mode) {
    return ReadFile(root, relative, JoinBelow(root, relative), mode, NoSizeLimit);
}
