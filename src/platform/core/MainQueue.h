#pragma once

// The main thread's queue of delayed work.
//
// asyncAfter(seconds, work) runs work once, on the main thread, at or after now
// plus that many whole seconds on the monotonic clock of Clock::current().
// Work runs in deadline order; work with equal deadlines runs in the order it
// was scheduled. Nothing is ever cancelled: work that targets an object holds
// it weakly (the weak_ptr overload) and does nothing once the object is gone.
//
// async(work) may be called from any thread: the work joins the queue as due
// at once and a sleeping run loop wakes up (wakeFd()). Everything else is for
// the main thread only.
//
// watch(fd, work) runs work on the main thread each time fd has something to
// read (an inotify descriptor, say), until unwatch(fd). The run loop sleeps on
// the watched descriptors too and calls runReadable() when it wakes; the work
// must read what is there, or it runs again at once.
//
// The queue does not run itself: the run loop calls runDue() on every turn.
// Tests drive it through advance(clock, seconds), which steps a ManualClock
// from deadline to deadline so that every piece of work sees the moment it was
// scheduled for.

#include "platform/core/ManualClock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace aerolune {

class MainQueue {
public:
    using Work = std::function<void()>;

    // The one queue of the process.
    static MainQueue& main();

    MainQueue();
    ~MainQueue();
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    void asyncAfter(int seconds, Work work);

    // Runs fn(target) at the deadline if the target still exists then.
    template <typename T, typename Fn>
    void asyncAfter(int seconds, std::weak_ptr<T> target, Fn fn) {
        asyncAfter(seconds, [target = std::move(target), fn = std::move(fn)]() mutable {
            if (auto strong = target.lock())
                fn(*strong);
        });
    }

    // Thread-safe: runs work on the main thread as soon as the loop turns.
    void async(Work work);

    // Runs every piece of work due at the clock's current monotonic time,
    // including work scheduled meanwhile that is already due. Returns how many ran.
    std::size_t runDue();

    // The monotonic time of the earliest pending work, if any.
    std::optional<double> nextDeadline() const;
    bool isEmpty() const;

    // Moves a manual clock forward by `seconds`, stopping at each deadline on
    // the way to run the work due then. Ends with the clock at the target.
    void advance(ManualClock& clock, double seconds);

    // Main thread only. One piece of work a descriptor; watching it again
    // replaces the work.
    void watch(int fd, Work onReadable);
    void unwatch(int fd);
    template <typename T, typename Fn> void watch(int fd, std::weak_ptr<T> target, Fn fn) {
        watch(fd, [target = std::move(target), fn = std::move(fn)]() mutable {
            if (auto strong = target.lock())
                fn(*strong);
        });
    }
    std::vector<int> watchedFds() const;
    // Runs the work of each watched descriptor that has something to read
    // now, without waiting. Returns how many ran.
    std::size_t runReadable();

    // Sleeps until `seconds` have passed (for ever when absent), work is
    // posted, a watched descriptor or one of `also` becomes readable, or a
    // signal comes; then runs the work of the watched descriptors that are
    // readable. What a loop without frames sleeps in.
    void wait(std::optional<double> seconds, const std::vector<int>& also);

    // A descriptor that becomes readable when async() posts work; the run
    // loop polls it. Reading it is done by runDue().
    int wakeFd() const { return wakeFd_; }

    // Drops all pending work (tests, and a host loop that ends).
    void reset();

private:
    struct Key {
        double deadline;
        std::uint64_t sequence;
        bool operator<(const Key& other) const {
            return deadline != other.deadline ? deadline < other.deadline
                                              : sequence < other.sequence;
        }
    };

    std::optional<Work> takeDue(double now);
    void drainWake();

    mutable std::mutex mutex_;
    std::map<Key, Work> pending_;
    std::uint64_t sequence_ = 0;
    int wakeFd_ = -1;
    std::map<int, std::shared_ptr<Work>> readers_;
};

} // namespace aerolune
