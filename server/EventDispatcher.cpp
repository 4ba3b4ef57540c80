// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/EventDispatcher.h"

#include "server/EventCommand.h"
#include "server/Webhook.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

// Jobs run one after the other on a thread of their own; the destructor waits for those handed in.
class EventDispatcher::Deliveries {
public:
    Deliveries() : thread_([this] { Serve(); }) {}
    ~Deliveries() {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    Deliveries(const Deliveries&) = delete;
    Deliveries& operator=(const Deliveries&) = delete;

    void Push(std::function<void()> job) {
        {
            const std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        wake_.notify_one();
    }

private:
    void Serve() {
        for (;;) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            const std::function<void()> job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool closing_ = false;
    std::thread thread_; // last, so that it starts once everything above exists
};

EventDispatcher::EventDispatcher(EventTargets targets, LogSink log)
    : targets_(std::move(targets)), log_(std::move(log)) {
    if (!targets_.command.empty())
        commands_ = std::make_unique<Deliveries>();
    if (!targets_.webhook.empty())
        posts_ = std::make_unique<Deliveries>();
}

EventDispatcher::~EventDispatcher() = default;

void EventDispatcher::Take(const SupervisionReport& report) {
    if (report.answer && report.answer->status)
        lastStatus_ = report.answer->status;
    const auto facts = EventOf(report, lastStatus_);
    if (!facts)
        return;
    const std::string what = std::string("event ") + EventName(facts->event);
    if (commands_)
        commands_->Push([this, environment = EventEnvironment(*facts), what] {
            RunEventCommand(targets_.command, environment, targets_.limit, what, log_);
        });
    if (posts_)
        posts_->Push([this, body = WebhookBody(EventMessage(*facts)), what] {
            if (const auto error = PostWebhook(targets_.webhook, body, targets_.limit))
                log_("Webhook post of " + what + " failed: " + *error);
        });
}
