#pragma once

// Stands in for a main loop in tests of work that answers through a poster.

#include "geocode/Geocoder.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace aerolune::test {

// Stands in for the main loop: tasks posted from any thread wait here until
// the test thread runs them.
class TestMainQueue : public std::enable_shared_from_this<TestMainQueue> {
public:
    Geocoder::Poster poster() {
        return [queue = shared_from_this()](Geocoder::Task task) {
            std::lock_guard lock(queue->mutex_);
            queue->posters_.push_back(std::this_thread::get_id());
            queue->tasks_.push_back(std::move(task));
            queue->wake_.notify_all();
        };
    }

    // Runs posted tasks on this thread until done() holds; false after a
    // generous watchdog, so a lost answer fails instead of hanging.
    bool runUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (!wake_.wait_until(lock, deadline, [&] { return !tasks_.empty(); }))
                return false;
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
        }
        return true;
    }

    std::vector<std::thread::id> posters() {
        std::lock_guard lock(mutex_);
        return posters_;
    }
    std::size_t waiting() {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Geocoder::Task> tasks_;
    std::vector<std::thread::id> posters_;
};

} // namespace aerolune::test
