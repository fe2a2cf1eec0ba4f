#include "host/SkySimulation.h"

#include "platform/core/MainQueue.h"

#include <algorithm>
#include <cmath>

namespace aerolune {

SkySimulation::SkySimulation(ScreenSaverView& view, const SkyCoordinator& coordinator,
                             ManualClock& clock)
    : view_(view), coordinator_(coordinator), clock_(clock) {}

void SkySimulation::start() {
    origin_ = clock_.monotonic();
    view_.startAnimation();
    runFrame();
}

void SkySimulation::run(double seconds) {
    const double end = clock_.monotonic() + std::max(0.0, seconds);
    for (Step step = nextStep(end); step.at < end; step = nextStep(end)) {
        clock_.advanceTo(step.at);
        if (step.isFrame)
            runFrame();
        else
            runWork();
    }
    clock_.advanceTo(end);
    MainQueue::main().runDue();
}

double SkySimulation::gridFrame(double moment) const {
    const double interval = view_.animationTimeInterval();
    double frame = origin_ + std::ceil((moment - origin_) / interval) * interval;
    if (frame < moment) // rounding
        frame += interval;
    return frame;
}

double SkySimulation::frameFrom(double moment) const {
    moment = std::max(moment, clock_.monotonic());
    if (lastFrame_)
        moment = std::max(moment, *lastFrame_ + view_.animationTimeInterval() / 2);
    return gridFrame(moment);
}

double SkySimulation::monotonicOf(TimePoint wall) const {
    return clock_.monotonic() + (wall - clock_.now());
}

std::optional<double> SkySimulation::coordinatorFrame() const {
    if (const auto& transition = coordinator_.nextTransition())
        return frameFrom(monotonicOf(transition->date));
    // The coordinator refreshes on the first frame strictly after the moment:
    // the frame at or after it, or the next when that one falls right on it.
    // Once both have gone by, the refresh has happened or waits for the sky to
    // settle (the frame after the sunrise or sunset ends, a follow-up).
    const auto& refresh = coordinator_.refreshAfter();
    if (!refresh)
        return std::nullopt;
    const double moment = monotonicOf(*refresh);
    if (lastFrame_ && gridFrame(moment) + view_.animationTimeInterval() <= *lastFrame_)
        return std::nullopt;
    return frameFrom(moment);
}

SkySimulation::Step SkySimulation::nextStep(double end) const {
    Step step{end, false};
    const auto frame = [&step](double at) {
        if (at <= step.at)
            step = {at, true};
    };
    if (followUp_)
        frame(*followUp_);
    if (const auto moment = coordinatorFrame())
        frame(*moment);
    // Work due with a frame runs in that frame, before it, as the host loop has it.
    if (const auto deadline = MainQueue::main().nextDeadline(); deadline && *deadline < step.at)
        step = {std::max(*deadline, clock_.monotonic()), false};
    return step;
}

void SkySimulation::runFrame() {
    const bool wasFollowUp = followUp_ && clock_.monotonic() >= *followUp_;
    const AnimatableView* before = coordinator_.currentView().get();
    MainQueue::main().runDue();
    view_.animateOneFrame();
    lastFrame_ = clock_.monotonic();
    followUp_.reset();
    if (!wasFollowUp || coordinator_.currentView().get() != before)
        followUp_ = frameFrom(clock_.monotonic());
    stepDone();
}

void SkySimulation::runWork() {
    const AnimatableView* before = coordinator_.currentView().get();
    MainQueue::main().runDue();
    if (coordinator_.currentView().get() != before)
        followUp_ = frameFrom(clock_.monotonic());
    stepDone();
}

void SkySimulation::stepDone() {
    ++steps_;
    if (observer_)
        observer_();
}

} // namespace aerolune
