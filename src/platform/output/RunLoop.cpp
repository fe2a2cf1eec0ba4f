#include "platform/output/RunLoop.h"

#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <poll.h>
#include <vector>

namespace aerolune {

RunLoop::RunLoop(std::shared_ptr<ScreenSaverView> view, FrameOutput* output) {
    screens_.push_back({std::move(view), output});
}

RunLoop::RunLoop(EventSource* events) : events_(events) {}

void RunLoop::addScreen(std::shared_ptr<ScreenSaverView> view, FrameOutput* output) {
    Screen screen{std::move(view), output};
    if (running_ && !screen.view->isAnimating()) {
        screen.view->startAnimation();
        screen.startedHere = true;
    }
    screens_.push_back(std::move(screen));
}

void RunLoop::removeScreen(const FrameOutput* output) {
    std::erase_if(screens_, [output](const Screen& screen) {
        if (screen.output != output)
            return false;
        if (screen.startedHere && screen.view->isAnimating())
            screen.view->stopAnimation();
        return true;
    });
}

void RunLoop::runScreen(Screen& screen) {
    ScreenSaverView& view = *screen.view;
    if (screen.output) {
        const Rect frame(Point{}, screen.output->size());
        if (view.frame() != frame)
            view.setFrame(frame);
    }
    if (view.isAnimating())
        view.animateOneFrame();
    view.layoutSubtreeIfNeeded();
    view.displayIfNeeded();
    if (screen.output)
        screen.output->present(view, Clock::current().monotonic());
}

void RunLoop::runFrame() {
    MainQueue::main().runDue();
    for (auto& screen : screens_)
        if (!screen.output || screen.output->wantsFrame())
            runScreen(screen);
    ++frames_;
}

bool RunLoop::wantsAnyFrame() const {
    return std::any_of(screens_.begin(), screens_.end(), [](const Screen& screen) {
        return !screen.output || screen.output->wantsFrame();
    });
}

double RunLoop::frameInterval() const {
    double interval = ScreenSaverView::defaultAnimationTimeInterval;
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        const double own = screens_[i].view->animationTimeInterval();
        interval = i == 0 ? own : std::min(interval, own);
    }
    return interval;
}

double RunLoop::nextFrameAfter(double frameTime, double now) const {
    const double interval = frameInterval();
    double next = frameTime + interval;
    if (next <= now)
        next += std::ceil((now - next) / interval) * interval;
    if (next <= now)
        next = now + interval;
    return next;
}

void RunLoop::advance(ManualClock& clock, double seconds) {
    const double target = clock.monotonic() + seconds;
    if (!nextFrame_)
        nextFrame_ = clock.monotonic();
    auto& queue = MainQueue::main();
    for (;;) {
        const double frameTime = *nextFrame_;
        const double next = std::min(frameTime, queue.nextDeadline().value_or(frameTime));
        if (next > target)
            break;
        clock.advanceTo(next);
        if (frameTime <= clock.monotonic()) {
            runFrame();
            // Frames step exactly along the grid: a manual clock never stalls.
            nextFrame_ = frameTime + frameInterval();
        } else {
            queue.runDue();
        }
    }
    clock.advanceTo(target);
}

void RunLoop::sleepUntil(std::optional<double> deadline, int signalFd) const {
    std::vector<pollfd> fds;
    auto watch = [&fds](int fd) {
        if (fd >= 0 && std::none_of(fds.begin(), fds.end(), [fd](auto& p) { return p.fd == fd; }))
            fds.push_back({fd, POLLIN, 0});
    };
    watch(MainQueue::main().wakeFd());
    watch(signalFd);
    if (events_)
        watch(events_->eventFd());
    for (const auto& screen : screens_)
        if (screen.output)
            watch(screen.output->eventFd());
    timespec timeout{};
    if (deadline) {
        const double wait = *deadline - Clock::current().monotonic();
        if (wait <= 0)
            return;
        timeout.tv_sec = static_cast<time_t>(wait);
        timeout.tv_nsec = static_cast<long>((wait - static_cast<double>(timeout.tv_sec)) * 1e9);
    }
    ::ppoll(fds.data(), fds.size(), deadline ? &timeout : nullptr, nullptr);
}

bool RunLoop::processEvents() {
    if (events_ && !events_->processEvents())
        return false;
    return std::all_of(screens_.begin(), screens_.end(), [](Screen& screen) {
        return !screen.output || screen.output->processEvents();
    });
}

void RunLoop::startViews() {
    for (auto& screen : screens_) {
        screen.startedHere = !screen.view->isAnimating();
        if (screen.startedHere)
            screen.view->startAnimation();
    }
}

void RunLoop::stopViews() {
    for (auto& screen : screens_)
        if (screen.startedHere && screen.view->isAnimating())
            screen.view->stopAnimation();
}

int RunLoop::run() {
    const SignalWatcher signals;
    return run(signals);
}

int RunLoop::run(const SignalWatcher& signals) {
    startViews();
    running_ = true;
    stopRequested_ = false;
    auto& queue = MainQueue::main();
    nextFrame_ = Clock::current().monotonic();
    while (!stopRequested_ && !signals.received()) {
        if (!processEvents())
            break;
        const double now = Clock::current().monotonic();
        if (now >= *nextFrame_ && wantsAnyFrame()) {
            runFrame();
            nextFrame_ = nextFrameAfter(*nextFrame_, Clock::current().monotonic());
        } else {
            queue.runDue();
        }
        if (stopRequested_ || signals.received())
            break;
        // With no frame wanted, only work, events and signals wake the loop.
        std::optional<double> deadline = queue.nextDeadline();
        if (wantsAnyFrame())
            deadline = std::min(*nextFrame_, deadline.value_or(*nextFrame_));
        sleepUntil(deadline, signals.fd());
    }
    running_ = false;
    stopViews();
    return 0;
}

} // namespace aerolune
