#include "host/SkySimulation.h"

#include "platform/core/MainQueue.h"

#include <algorithm>

namespace aerolune {
namespace {

constexpr double frameInterval = 1.0 / 30.0;

} // namespace

SkySimulation::SkySimulation(ScreenSaverView& view, const SkyCoordinator& coordinator,
                             ManualClock& clock)
    : view_(view), coordinator_(coordinator), clock_(clock) {}

void SkySimulation::start() {
    view_.startAnimation();
    step();
}

void SkySimulation::run(double seconds) {
    const double end = clock_.monotonic() + std::max(0.0, seconds);
    for (;;) {
        const double at = nextStep(end);
        if (at >= end) {
            clock_.advance(end - clock_.monotonic());
            MainQueue::main().runDue();
            return;
        }
        clock_.advance(std::max(0.0, at - clock_.monotonic()));
        const bool wasFollowUp = followUp_ && at >= *followUp_;
        followUp_.reset();
        step();
        if (!wasFollowUp)
            followUp_ = clock_.monotonic() + frameInterval;
    }
}

double SkySimulation::monotonicOf(TimePoint wall) const {
    return clock_.monotonic() + (wall - clock_.now());
}

double SkySimulation::nextStep(double end) const {
    const double now = clock_.monotonic();
    double at = end;
    if (followUp_)
        at = std::min(at, *followUp_);
    if (const auto deadline = MainQueue::main().nextDeadline())
        at = std::min(at, std::max(*deadline, now));
    // A wall-clock moment maps to the monotonic clock only to within the wall
    // time's rounding, so a step towards one goes at least a frame: a smaller
    // one could leave the wall time where it was and the moment still ahead.
    if (const auto moment = coordinatorMoment())
        at = std::min(at, std::max(monotonicOf(*moment), now + frameInterval));
    return at;
}

std::optional<TimePoint> SkySimulation::coordinatorMoment() const {
    // A due change fires on the step that sees it; the tick of the step
    // before has already seen any change due by then.
    if (const auto& transition = coordinator_.nextTransition())
        return transition->date;
    // The coordinator refreshes strictly after the moment; one frame later.
    const auto& refresh = coordinator_.refreshAfter();
    if (refresh && *refresh + frameInterval > clock_.now())
        return *refresh + frameInterval;
    return std::nullopt;
}

void SkySimulation::step() {
    MainQueue::main().runDue();
    view_.animateOneFrame();
    ++steps_;
    if (observer_)
        observer_();
}

} // namespace aerolune
