#include "platform/core/MainQueue.h"

#include "platform/core/Clock.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <limits>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace aerolune {

MainQueue& MainQueue::main() {
    // Never destroyed: work may still be posted from other threads at exit.
    static MainQueue* queue = new MainQueue();
    return *queue;
}

MainQueue::MainQueue() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MainQueue::~MainQueue() {
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void MainQueue::asyncAfter(int seconds, Work work) {
    const double deadline = Clock::current().monotonic() + seconds;
    std::lock_guard lock(mutex_);
    pending_.emplace(Key{deadline, sequence_++}, std::move(work));
}

void MainQueue::async(Work work) {
    {
        std::lock_guard lock(mutex_);
        // Due before anything scheduled by time, and in posting order.
        pending_.emplace(Key{-std::numeric_limits<double>::infinity(), sequence_++},
                         std::move(work));
    }
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
    }
}

std::optional<MainQueue::Work> MainQueue::takeDue(double now) {
    std::lock_guard lock(mutex_);
    if (pending_.empty() || pending_.begin()->first.deadline > now)
        return std::nullopt;
    auto node = pending_.extract(pending_.begin());
    return std::move(node.mapped());
}

std::size_t MainQueue::runDue() {
    drainWake();
    const double now = Clock::current().monotonic();
    std::size_t count = 0;
    // Taken one at a time so that work may schedule more work, or reset the queue.
    while (auto work = takeDue(now)) {
        (*work)();
        ++count;
    }
    return count;
}

std::optional<double> MainQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    if (pending_.empty())
        return std::nullopt;
    return pending_.begin()->first.deadline;
}

bool MainQueue::isEmpty() const {
    std::lock_guard lock(mutex_);
    return pending_.empty();
}

void MainQueue::advance(ManualClock& clock, double seconds) {
    const double target = clock.monotonic() + seconds;
    while (auto deadline = nextDeadline()) {
        if (*deadline > target)
            break;
        clock.advanceTo(*deadline);
        runDue();
    }
    clock.advanceTo(target);
}

void MainQueue::reset() {
    readers_.clear();
    std::map<Key, Work> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(pending_);
    }
    drainWake();
    // The work is destroyed outside the lock: its captures may post more work.
}

void MainQueue::watch(int fd, Work onReadable) {
    readers_[fd] = std::make_shared<Work>(std::move(onReadable));
}

void MainQueue::unwatch(int fd) {
    readers_.erase(fd);
}

std::vector<int> MainQueue::watchedFds() const {
    std::vector<int> fds;
    for (const auto& reader : readers_)
        fds.push_back(reader.first);
    return fds;
}

std::size_t MainQueue::runReadable() {
    std::vector<pollfd> fds;
    for (const auto& reader : readers_)
        fds.push_back({reader.first, POLLIN, 0});
    if (fds.empty() || ::poll(fds.data(), fds.size(), 0) <= 0)
        return 0;
    std::size_t count = 0;
    for (const pollfd& ready : fds) {
        if (!(ready.revents & (POLLIN | POLLERR | POLLHUP)))
            continue;
        // Held here: the work may unwatch its own descriptor.
        const auto found = readers_.find(ready.fd);
        if (found == readers_.end())
            continue;
        const std::shared_ptr<Work> work = found->second;
        (*work)();
        ++count;
    }
    return count;
}

void MainQueue::wait(std::optional<double> seconds, const std::vector<int>& also) {
    std::vector<pollfd> fds;
    const auto add = [&fds](int fd) {
        if (fd >= 0 && std::none_of(fds.begin(), fds.end(), [fd](auto& p) { return p.fd == fd; }))
            fds.push_back({fd, POLLIN, 0});
    };
    add(wakeFd_);
    for (const auto& reader : readers_)
        add(reader.first);
    for (const int fd : also)
        add(fd);
    timespec timeout{};
    if (seconds) {
        const double wait = std::max(0.0, *seconds);
        timeout.tv_sec = static_cast<time_t>(wait);
        timeout.tv_nsec = static_cast<long>((wait - static_cast<double>(timeout.tv_sec)) * 1e9);
    }
    if (::ppoll(fds.data(), fds.size(), seconds ? &timeout : nullptr, nullptr) > 0)
        runReadable();
}

void MainQueue::drainWake() {
    if (wakeFd_ < 0)
        return;
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
}

} // namespace aerolune
