#pragma once

// Runs a saver's logic on a ManualClock without drawing, stepping from one
// moment that matters to the next instead of through every frame: the
// deadlines of delayed work, the announced change of sky, the moment the sky
// coordinator will ask for a new forecast, and one frame after each of those
// (a new view is first animated on the frame after it appears). At each step
// the due work runs and the host's frame call is made. Days of a saver's life
// pass in a few thousand steps.
//
// Every step moves the clock on. The coordinator's moments are wall-clock
// times, so a step towards one goes at least a frame; and a refresh moment
// that passed while a sunrise or sunset still played is not aimed at again
// (the coordinator takes it up on the frame after the one that ends the
// transition, a follow-up frame).

#include "platform/core/ManualClock.h"
#include "platform/view/ScreenSaverView.h"
#include "schedule/SkyCoordinator.h"

#include <functional>
#include <memory>
#include <optional>

namespace aerolune {

class SkySimulation {
public:
    // The view is driven; the coordinator (the view's, or its sky window's) is
    // watched for the moments it cares about. Both must outlive the simulation.
    SkySimulation(ScreenSaverView& view, const SkyCoordinator& coordinator, ManualClock& clock);

    // Called after every step, with the clock at the step's moment.
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    // Starts the view (the host's startAnimation) and runs a first frame.
    void start();
    // Runs for `seconds` of the clock's time, ending with the clock there.
    void run(double seconds);

    std::uint64_t steps() const { return steps_; }

private:
    // The monotonic moment of the next step, or of `end` when nothing comes before.
    double nextStep(double end) const;
    // The wall moment at which the coordinator next acts of its own accord.
    std::optional<TimePoint> coordinatorMoment() const;
    double monotonicOf(TimePoint wall) const;
    void step();

    ScreenSaverView& view_;
    const SkyCoordinator& coordinator_;
    ManualClock& clock_;
    std::function<void()> observer_;
    // The frame that follows a step which was not itself such a frame.
    std::optional<double> followUp_;
    std::uint64_t steps_ = 0;
};

} // namespace aerolune
