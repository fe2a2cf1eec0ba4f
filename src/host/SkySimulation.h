#pragma once

// Runs a saver's logic on a ManualClock without drawing, stepping from one
// moment that matters to the next instead of through every frame. Frames keep
// to the grid a host loop would draw them on (the view's animation interval
// from the start), and only these are run:
// - the frame that fires the announced change of sky (the first at or after
//   its moment) and the one that asks for a new forecast (the first after
//   the coordinator's refresh moment);
// - the frame after each of those, and after delayed work that brought a new
//   view, in which the new view takes its first step (a sunrise or sunset
//   starts there), and again after any such frame that brought another view.
// Delayed work runs alone at its deadline, as it does between a host loop's
// frames. Everything the picture depends on apart from where clouds and stars
// stand is thus where a run drawing every frame would have it: the mode, the
// transition's step, the fades and the backdrop's colours (which draw on a
// random source of their own). Days of a saver's life pass in a few thousand
// steps.
//
// A refresh moment that passed while a sunrise or sunset still played is not
// aimed at again: the coordinator takes it up on the frame after the delayed
// work that ends the transition.

#include "platform/core/ManualClock.h"
#include "platform/view/ScreenSaverView.h"
#include "schedule/SkyCoordinator.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace aerolune {

class SkySimulation {
public:
    // The view is driven; the coordinator (the view's, or its sky window's) is
    // watched for the moments it cares about. Both must outlive the simulation.
    SkySimulation(ScreenSaverView& view, const SkyCoordinator& coordinator, ManualClock& clock);

    // Called after every step, with the clock at the step's moment.
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    // Starts the view (the host's startAnimation) and runs the first frame,
    // which sets the frame grid.
    void start();
    // Runs for `seconds` of the clock's time, ending with the clock there and
    // the work due then done. A frame due exactly at the end is left to run.
    void run(double seconds);

    // The monotonic moment of the next step before `end`, or `end`: how long
    // a driver on the real clock may sleep.
    double nextStepBefore(double end) const { return nextStep(end).at; }
    // A frame at the clock's moment, off the grid: for a driver that learns
    // of something the coordinator must see at once (the wall clock set).
    void frameNow() { runFrame(); }

    std::uint64_t steps() const { return steps_; }

private:
    struct Step {
        double at;
        bool isFrame;
    };

    // The next step, or a step at `end` when nothing comes before.
    Step nextStep(double end) const;
    // The monotonic moment of the next frame the coordinator acts on, if any.
    std::optional<double> coordinatorFrame() const;
    // The first moment on the frame grid at or after `moment`.
    double gridFrame(double moment) const;
    // The first frame on the grid at or after `moment`, and not before now,
    // that has not run yet.
    double frameFrom(double moment) const;
    double monotonicOf(TimePoint wall) const;
    void runFrame();
    void runWork();
    void stepDone();

    ScreenSaverView& view_;
    const SkyCoordinator& coordinator_;
    ManualClock& clock_;
    std::function<void()> observer_;
    double origin_ = 0;
    std::optional<double> lastFrame_;
    // The frame that follows a step which may have brought a new view.
    std::optional<double> followUp_;
    std::uint64_t steps_ = 0;
};

} // namespace aerolune
