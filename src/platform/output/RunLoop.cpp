#include "platform/output/RunLoop.h"

#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"

#include <algorithm>
#include <cmath>
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

bool RunLoop::awaitsAnyFrame() const {
    return std::any_of(screens_.begin(), screens_.end(), [](const Screen& screen) {
        return screen.output && screen.output->awaitsFrame();
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
        if (lastFrame_) // as in run(): a shorter interval counts at once
            nextFrame_ =
                std::max(std::min(*nextFrame_, *lastFrame_ + frameInterval()), clock.monotonic());
        const double frameTime = *nextFrame_;
        const double next = std::min(frameTime, queue.nextDeadline().value_or(frameTime));
        if (next > target)
            break;
        clock.advanceTo(next);
        if (frameTime <= clock.monotonic()) {
            runFrame();
            lastFrame_ = frameTime;
            // Frames step exactly along the grid: a manual clock never stalls.
            nextFrame_ = frameTime + frameInterval();
        } else {
            queue.runDue();
        }
    }
    clock.advanceTo(target);
}

void RunLoop::sleepUntil(std::optional<double> deadline, int signalFd, bool withEvents) const {
    std::vector<int> fds{signalFd};
    if (withEvents && events_)
        fds.push_back(events_->eventFd());
    for (const auto& screen : screens_)
        if (withEvents && screen.output)
            fds.push_back(screen.output->eventFd());
    std::optional<double> seconds;
    if (deadline) {
        seconds = *deadline - Clock::current().monotonic();
        if (*seconds <= 0)
            return;
    }
    MainQueue::main().wait(seconds, fds);
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

// With no frame wanted or awaited, only work, events and signals wake the
// loop. An output that awaits its frame (its server's word that the last one
// was taken, which comes a moment after it was sent) has its events read at
// the next frame's moment, or watched from then on if the word has not come
// by then. Events wait for a frame that close: reading them as they came
// would wake the loop twice a frame, a tenth of a night's cost.
void RunLoop::sleepUntilNextTurn(const SignalWatcher& signals) {
    const double now = Clock::current().monotonic();
    const bool wanted = wantsAnyFrame() || (awaitsAnyFrame() && now < *nextFrame_);
    std::optional<double> deadline = MainQueue::main().nextDeadline();
    if (wanted)
        deadline = std::min(*nextFrame_, deadline.value_or(*nextFrame_));
    const bool eventsWait = wanted && *nextFrame_ - now <= eventsWaitAtMost;
    sleepUntil(deadline, signals.fd(), !eventsWait);
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
    lastFrame_.reset();
    while (!stopRequested_ && !signals.received()) {
        if (!processEvents())
            break;
        const double now = Clock::current().monotonic();
        if (now >= *nextFrame_ && wantsAnyFrame()) {
            runFrame();
            lastFrame_ = *nextFrame_;
            nextFrame_ = nextFrameAfter(*nextFrame_, Clock::current().monotonic());
        } else {
            queue.runDue();
        }
        // Work may have shortened the interval (a still saver back on mains):
        // the next frame comes by the new one, not a minute later.
        if (lastFrame_)
            nextFrame_ =
                std::min(*nextFrame_, nextFrameAfter(*lastFrame_, Clock::current().monotonic()));
        if (stopRequested_ || signals.received())
            break;
        sleepUntilNextTurn(signals);
    }
    running_ = false;
    stopViews();
    return 0;
}

} // namespace aerolune
