#pragma once

// The host loop that drives a screen-saver view, one thread, nothing locked.
//
// Each frame: run the delayed work that is due; animateOneFrame() while the
// view is animating; the layout pass; the display pass (drawRect on the views
// that asked, parents before children); then the output draws the tree at that
// moment and shows it. Frames come at the view's animation interval on the
// monotonic clock; a frame that comes late is not made up for: after a stall
// (a suspended machine) the next frame is the next one on the grid.
//
// run() sleeps between frames and delayed work, waking for work posted from
// other threads, for the output's events and for SIGTERM and SIGINT.
// advance() is the same loop on a ManualClock: it steps the clock from event to
// event, running every piece of work and every frame in order.

#include "platform/core/ManualClock.h"
#include "platform/core/SignalWatcher.h"
#include "platform/output/FrameOutput.h"
#include "platform/view/ScreenSaverView.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace aerolune {

class RunLoop {
public:
    // The output may be null (logic tests); it must outlive the loop.
    explicit RunLoop(std::shared_ptr<ScreenSaverView> view, FrameOutput* output = nullptr);

    // Runs in real time until stop(), a signal, or the output closing. Starts the
    // view if it is not animating and stops it at the end. Returns the process's
    // exit status: 0 for each of these ends.
    int run();
    // The same, with signals watched since before the loop: one already
    // received ends it before its first frame.
    int run(const SignalWatcher& signals);
    // Ends run() after the current turn (main thread).
    void stop() { stopRequested_ = true; }

    // One frame at the clock's current moment.
    void runFrame();
    // Moves a manual clock forward by `seconds`, running due work and frames in
    // order. The first frame comes at the moment of the first call.
    void advance(ManualClock& clock, double seconds);

    std::uint64_t frameCount() const { return frames_; }
    ScreenSaverView& view() const { return *view_; }

private:
    // The moment of the next frame on the grid after `frameTime`, skipping the
    // ones already past at `now`.
    double nextFrameAfter(double frameTime, double now) const;
    void followOutputSize();
    void sleepUntil(double deadline, int signalFd) const;

    std::shared_ptr<ScreenSaverView> view_;
    FrameOutput* output_;
    std::optional<double> nextFrame_;
    std::uint64_t frames_ = 0;
    bool stopRequested_ = false;
};

} // namespace aerolune
