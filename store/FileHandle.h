// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <utility>

// An open file of the store, closed when the handle goes. Reads and writes name their offset, so no handle
// carries a position. Failures throw std::runtime_error with a French message naming the file.
class TFileHandle {
public:
    TFileHandle() = default;
    // Opens `path` with the open(2) `flags`; a created file gets `mode` less the umask.
    TFileHandle(const std::string& path, int flags, unsigned mode = 0666);
    // Takes over `descriptor`, already open on `path`.
    TFileHandle(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}
    TFileHandle(TFileHandle&& other) noexcept;
    TFileHandle& operator=(TFileHandle&& other) noexcept;
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    ~TFileHandle();

    // The open descriptor, -1 when closed.
    int Descriptor() const { return descriptor_; }

    // The path the file was opened on.
    const std::string& Path() const { return path_; }

    // The file's current size in bytes.
    std::int64_t Size() const;

    // Reads up to `count` bytes at `offset` into `buffer`; fewer only at the end of the file.
    std::size_t ReadAt(std::int64_t offset, char* buffer, std::size_t count) const;

    // Writes `count` bytes at `offset`, all of them.
    void WriteAt(std::int64_t offset, const char* data, std::size_t count);

    // Cuts or extends the file to `size` bytes.
    void Resize(std::int64_t size);

    // Takes an exclusive advisory lock without waiting; false when another opener holds one.
    bool TryLock();

    // Takes a shared advisory lock without waiting; false when another opener holds an exclusive one.
    bool TryLockShared();

    // Waits until what was written is on the disk.
    void Sync();

    // Renames the file to `path`, replacing what `path` named; the handle stays open on it.
    void MoveTo(const std::string& path);

    // Closes the file (nothing when closed).
    void Close();

private:
    [[noreturn]] void Fail(const char* what) const;

    int descriptor_ = -1;
    std::string path_;
};

// Copies `count` bytes at `from` in `source` to `to` in `target` through a fixed-size buffer; throws when the
// source ends first.
void CopyFileRange(const TFileHandle& source, std::int64_t from, std::int64_t count, TFileHandle& target,
                   std::int64_t to);

// Size of the buffers that streams use, whatever the size of what they carry.
inline constexpr std::size_t StreamChunkSize = 256 * 1024;
