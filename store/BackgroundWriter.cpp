// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/BackgroundWriter.h"

namespace {

constexpr std::size_t RingSize = 4;

} // namespace

TBackgroundWriter::TBackgroundWriter(TFileHandle& target)
    : target_(target), buffers_(RingSize, std::vector<char>(StreamChunkSize)), thread_(&TBackgroundWriter::Run, this) {}

TBackgroundWriter::~TBackgroundWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

template <typename Ready> void TBackgroundWriter::WaitFor(std::unique_lock<std::mutex>& lock, Ready ready) {
    changed_.wait(lock, [&] { return ready() || error_; });
    if (error_)
        std::rethrow_exception(error_);
}

void TBackgroundWriter::Submit(std::size_t count) {
    std::unique_lock lock(mutex_);
    jobs_.push_back({filling_, count, offset_});
    offset_ += static_cast<std::int64_t>(count);
    ++inFlight_;
    changed_.notify_all();
    // Buffers go round in order and are written in order, so the next one is free once one of them is.
    filling_ = (filling_ + 1) % RingSize;
    WaitFor(lock, [this] { return inFlight_ < RingSize; });
}

void TBackgroundWriter::Finish() {
    std::unique_lock lock(mutex_);
    WaitFor(lock, [this] { return inFlight_ == 0; });
}

void TBackgroundWriter::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
        if (jobs_.empty())
            return;
        const TJob job = jobs_.front();
        jobs_.pop_front();
        lock.unlock();
        std::exception_ptr error;
        try {
            target_.WriteAt(job.offset, buffers_[job.buffer].data(), job.count);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        --inFlight_;
        if (error && !error_)
            error_ = error;
        changed_.notify_all();
    }
}
