// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TFileHandle::TFileHandle(const std::string& path, int flags, unsigned mode)
    : descriptor_(::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode))), path_(path) {
    if (descriptor_ < 0)
        Fail((flags & O_CREAT) ? "Impossible de créer le fichier " : "Impossible d'ouvrir le fichier ");
}

TFileHandle::TFileHandle(TFileHandle&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

TFileHandle::~TFileHandle() {
    Close();
}

std::int64_t TFileHandle::Size() const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0)
        Fail("Impossible de lire la taille du fichier ");
    return status.st_size;
}

std::size_t TFileHandle::ReadAt(std::int64_t offset, char* buffer, std::size_t count) const {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(descriptor_, buffer + done, count - done, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail("Erreur de lecture du fichier ");
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void TFileHandle::WriteAt(std::int64_t offset, const char* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(descriptor_, data + done, count - done, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail("Erreur d'écriture du fichier ");
        done += static_cast<std::size_t>(n);
    }
}

void TFileHandle::Resize(std::int64_t size) {
    if (::ftruncate(descriptor_, size) != 0)
        Fail("Erreur d'écriture du fichier ");
}

bool TFileHandle::TryLock() {
    return ::flock(descriptor_, LOCK_EX | LOCK_NB) == 0;
}

bool TFileHandle::TryLockShared() {
    return ::flock(descriptor_, LOCK_SH | LOCK_NB) == 0;
}

void TFileHandle::Sync() {
    if (::fsync(descriptor_) != 0)
        Fail("Erreur d'écriture du fichier ");
}

void TFileHandle::MoveTo(const std::string& path) {
    if (std::rename(path_.c_str(), path.c_str()) != 0)
        throw std::runtime_error("Impossible de créer le fichier " + path + " (" + std::strerror(errno) + ")");
    path_ = path;
}

void TFileHandle::Close() {
    if (descriptor_ >= 0)
        ::close(std::exchange(descriptor_, -1));
}

void TFileHandle::Fail(const char* what) const {
    throw std::runtime_error(what + path_ + " (" + std::strerror(errno) + ")");
}

void CopyFileRange(const TFileHandle& source, std::int64_t from, std::int64_t count, TFileHandle& target,
                   std::int64_t to) {
    std::vector<char> buffer(StreamChunkSize);
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(count, StreamChunkSize));
        const std::size_t got = source.ReadAt(from, buffer.data(), want);
        if (got != want)
            throw std::runtime_error("Fin inattendue du fichier " + source.Path());
        target.WriteAt(to, buffer.data(), got);
        from += static_cast<std::int64_t>(got);
        to += static_cast<std::int64_t>(got);
        count -= static_cast<std::int64_t>(got);
    }
}
