#include "platform/output/RunLoop.h"

#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"

#include <algorithm>
#include <cmath>
#include <poll.h>
#include <vector>

namespace aerolune {

RunLoop::RunLoop(std::shared_ptr<ScreenSaverView> view, FrameOutput* output)
    : view_(std::move(view)), output_(output) {}

void RunLoop::followOutputSize() {
    if (!output_)
        return;
    const Size size = output_->size();
    if (view_->frame() != Rect(Point{}, size))
        view_->setFrame(Rect(Point{}, size));
}

void RunLoop::runFrame() {
    MainQueue::main().runDue();
    followOutputSize();
    if (view_->isAnimating())
        view_->animateOneFrame();
    view_->layoutSubtreeIfNeeded();
    view_->displayIfNeeded();
    if (output_)
        output_->present(*view_, Clock::current().monotonic());
    ++frames_;
}

double RunLoop::nextFrameAfter(double frameTime, double now) const {
    const double interval = view_->animationTimeInterval();
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
            nextFrame_ = frameTime + view_->animationTimeInterval();
        } else {
            queue.runDue();
        }
    }
    clock.advanceTo(target);
}

void RunLoop::sleepUntil(double deadline, int signalFd) const {
    std::vector<pollfd> fds;
    for (const int fd : {MainQueue::main().wakeFd(), signalFd, output_ ? output_->eventFd() : -1})
        if (fd >= 0)
            fds.push_back({fd, POLLIN, 0});
    const double wait = deadline - Clock::current().monotonic();
    if (wait <= 0)
        return;
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(wait);
    timeout.tv_nsec = static_cast<long>((wait - static_cast<double>(timeout.tv_sec)) * 1e9);
    ::ppoll(fds.data(), fds.size(), &timeout, nullptr);
}

int RunLoop::run() {
    const SignalWatcher signals;
    return run(signals);
}

int RunLoop::run(const SignalWatcher& signals) {
    const bool started = !view_->isAnimating();
    if (started)
        view_->startAnimation();
    stopRequested_ = false;
    auto& queue = MainQueue::main();
    nextFrame_ = Clock::current().monotonic();
    while (!stopRequested_ && !signals.received()) {
        if (output_ && !output_->processEvents())
            break;
        const double now = Clock::current().monotonic();
        if (now >= *nextFrame_) {
            runFrame();
            nextFrame_ = nextFrameAfter(*nextFrame_, Clock::current().monotonic());
        } else {
            queue.runDue();
        }
        if (stopRequested_ || signals.received())
            break;
        sleepUntil(std::min(*nextFrame_, queue.nextDeadline().value_or(*nextFrame_)), signals.fd());
    }
    if (started && view_->isAnimating())
        view_->stopAnimation();
    return 0;
}

} // namespace aerolune
