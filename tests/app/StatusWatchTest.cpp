// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusWatch.h"

#include "support/FakeUdpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace {

using namespace std::chrono_literals;

// Handles events until `done` holds or `milliseconds` pass; whether it held.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return done();
}

// Counts the calls queued to an object that it has handled, as an answer handed over from the worker thread:
// each reaches the object as a meta-call event.
class HandledCalls : public QObject {
public:
    explicit HandledCalls(QObject& target) { target.installEventFilter(this); }
    int Count() const { return count_; }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        // Seen just before the object handles it; a wait that checks the count after handling events sees both.
        if (event->type() == QEvent::MetaCall)
            ++count_;
        return false;
    }

private:
    int count_ = 0;
};

// A query that records where it was sent, takes `delay` (or, held, waits until it is released, a minute at most),
// and answers with that address as host name and as many players as queries so far.
class ScriptedQuery {
public:
    explicit ScriptedQuery(std::chrono::milliseconds delay = 0ms) : delay_(delay) {}
    void Hold() { held_ = true; }
    void Release() {
        const std::lock_guard lock(mutex_);
        held_ = false;
        release_.notify_all();
    }
    bool Waiting() const { return waiting_; }
    TStatusWatch::Query Get() {
        return [this](const std::string& host, int port) {
            std::this_thread::sleep_for(delay_);
            std::unique_lock lock(mutex_);
            waiting_ = true;
            release_.wait_for(lock, 1min, [this] { return !held_; });
            waiting_ = false;
            asked_.push_back(host + ":" + std::to_string(port));
            return StatusAnswer{
                ServerStatus{asked_.back(), "mp_harbor", "sd", std::vector<PlayerStatus>(asked_.size())}, {}};
        };
    }
    std::vector<std::string> Asked() const {
        const std::lock_guard lock(mutex_);
        return asked_;
    }

private:
    std::chrono::milliseconds delay_;
    std::atomic<bool> held_ = false;
    std::atomic<bool> waiting_ = false;
    std::condition_variable release_;
    mutable std::mutex mutex_;
    std::vector<std::string> asked_;
};

class StatusWatchTest : public testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&watch_, &TStatusWatch::LineChanged,
                         [this](const QString& line) { lines_.push_back(line.toStdString()); });
    }

    TStatusWatch watch_;
    std::vector<std::string> lines_;
};

TEST_F(StatusWatchTest, SaysItIsAskingThenShowsTheAnswerAndAsksAgainAtEachInterval) {
    ScriptedQuery query;
    watch_.SetQuery(query.Get());
    watch_.SetInterval(100ms);
    EXPECT_EQ(watch_.Line(), "");
    watch_.Start("10.0.0.2", 28961);
    EXPECT_TRUE(watch_.Active());
    EXPECT_EQ(watch_.Line(), "Server status : Asking 10.0.0.2:28961");
    ASSERT_TRUE(WaitFor([&] { return watch_.Line() == "Server status : 10.0.0.2:28961, mp_harbor, sd, 3 players"; }));
    EXPECT_EQ(std::vector<std::string>(lines_.begin(), lines_.begin() + 4),
              (std::vector<std::string>{"Server status : Asking 10.0.0.2:28961",
                                        "Server status : 10.0.0.2:28961, mp_harbor, sd, 1 player",
                                        "Server status : 10.0.0.2:28961, mp_harbor, sd, 2 players",
                                        "Server status : 10.0.0.2:28961, mp_harbor, sd, 3 players"}));
}

TEST_F(StatusWatchTest, TheQueryDoesNotHoldUpTheEventLoop) {
    ScriptedQuery query;
    query.Hold();
    watch_.SetQuery(query.Get());
    bool tick = false;
    // Start returns, and a timer fires, while the query still waits to be released.
    watch_.Start("127.0.0.1", 28960);
    ASSERT_TRUE(WaitFor([&] { return query.Waiting(); })) << "Start waited for the query";
    QTimer::singleShot(50, [&] { tick = true; });
    ASSERT_TRUE(WaitFor([&] { return tick; }));
    EXPECT_TRUE(query.Waiting()) << "a timer waited for the query";
    EXPECT_EQ(watch_.Line(), "Server status : Asking 127.0.0.1:28960");
    query.Release();
    EXPECT_TRUE(WaitFor([&] { return watch_.Line() == "Server status : 127.0.0.1:28960, mp_harbor, sd, 1 player"; }));
}

TEST_F(StatusWatchTest, StoppingEmptiesTheLineDropsTheAnswerOnItsWayAndAsksNoMore) {
    ScriptedQuery query;
    query.Hold();
    watch_.SetQuery(query.Get());
    watch_.SetInterval(100ms);
    const HandledCalls handled(watch_);
    watch_.Start("127.0.0.1", 28960);
    ASSERT_TRUE(WaitFor([&] { return query.Waiting(); })) << "the query never went out";
    watch_.Stop();
    EXPECT_FALSE(watch_.Active());
    EXPECT_EQ(watch_.Line(), "");
    query.Release();
    ASSERT_TRUE(WaitFor([&] { return handled.Count() == 1; })) << "the answer on its way never came back";
    // A watch that still asked would ask again within an interval or two.
    EXPECT_FALSE(WaitFor([&] { return query.Asked().size() > 1; }, 300));
    EXPECT_EQ(query.Asked().size(), 1u);
    EXPECT_EQ(lines_, (std::vector<std::string>{"Server status : Asking 127.0.0.1:28960", ""}));
}

TEST_F(StatusWatchTest, MovingToAnotherServerDropsTheFirstAnswerAndAsksTheNewOneAtOnce) {
    ScriptedQuery slow(400ms);
    watch_.SetQuery(slow.Get());
    watch_.Start("10.0.0.1", 1);
    ScriptedQuery quick;
    watch_.SetQuery(quick.Get());
    watch_.Start("10.0.0.2", 2);
    // The interval (five seconds) is far: the new server is asked as soon as the first query ends.
    ASSERT_TRUE(WaitFor([&] { return watch_.Line() == "Server status : 10.0.0.2:2, mp_harbor, sd, 1 player"; }));
    EXPECT_EQ(slow.Asked(), std::vector<std::string>{"10.0.0.1:1"});
    EXPECT_EQ(lines_,
              (std::vector<std::string>{"Server status : Asking 10.0.0.1:1", "Server status : Asking 10.0.0.2:2",
                                        "Server status : 10.0.0.2:2, mp_harbor, sd, 1 player"}));
}

TEST(StatusWatchLifetimeTest, DestroyingTheWatchWaitsForTheQueryOnItsWay) {
    ScriptedQuery query(300ms);
    {
        TStatusWatch watch;
        watch.SetQuery(query.Get());
        watch.Start("127.0.0.1", 28960);
    }
    EXPECT_EQ(query.Asked().size(), 1u);
    // The answer was posted to the watch before it was gone: handing out every posted event must not deliver it.
    QCoreApplication::sendPostedEvents();
}

TEST(StatusWatchRealQueryTest, AsksTheServerOverTheNetwork) {
    const FakeUdpServer server(RecordedStatusReply());
    TStatusWatch watch;
    watch.Start("127.0.0.1", server.Port());
    EXPECT_TRUE(WaitFor([&] { return watch.Line() == "Server status : Brisela Server, mp_harbor, sd, 3 players"; }));
}

} // namespace
