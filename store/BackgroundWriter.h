// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/FileHandle.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Writes a stream of chunks to a file from a thread of its own, so that packing or unpacking goes on while
// earlier chunks are written. A small fixed ring of buffers: the caller fills one while the others wait for or
// go through the writer, so a writer that the system schedules late rarely holds the caller up.
class TBackgroundWriter {
public:
    // Starts writing to `target` from offset 0.
    explicit TBackgroundWriter(TFileHandle& target);
    TBackgroundWriter(const TBackgroundWriter&) = delete;
    TBackgroundWriter& operator=(const TBackgroundWriter&) = delete;
    // Lets the handed-over chunks be written, then stops the thread.
    ~TBackgroundWriter();

    // The buffer to fill next, StreamChunkSize bytes.
    char* Buffer() { return buffers_[filling_].data(); }

    // Hands over the first `count` bytes of Buffer() to be written after everything handed over before.
    // Rethrows the error of an earlier write.
    void Submit(std::size_t count);

    // Waits until everything handed over is written; rethrows a write error.
    void Finish();

private:
    struct TJob {
        std::size_t buffer;
        std::size_t count;
        std::int64_t offset;
    };

    // Waits until `ready` holds or a write failed, then rethrows that failure.
    template <typename Ready> void WaitFor(std::unique_lock<std::mutex>& lock, Ready ready);
    void Run();

    TFileHandle& target_;
    std::vector<std::vector<char>> buffers_;
    std::size_t filling_ = 0;
    std::int64_t offset_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TJob> jobs_;
    std::size_t inFlight_ = 0; // handed over and not yet written
    bool stopping_ = false;
    std::exception_ptr error_;
    std::thread thread_; // last, so that it starts once everything above exists
};
