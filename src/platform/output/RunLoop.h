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
//
// The loop may drive several screens, each a view shown in an output of its
// own (one per monitor on Wayland), added and removed between frames. A frame
// skips a screen whose output does not want one now: its view is not animated,
// laid out or drawn. While no screen wants a frame the loop does not wake for
// frames at all, only for work, events and signals; the next frame comes as
// soon as one is wanted again. Events are read before each frame and wait
// for a frame less than eventsWaitAtMost away; else they wake the loop.

#include "platform/core/ManualClock.h"
#include "platform/core/SignalWatcher.h"
#include "platform/output/EventSource.h"
#include "platform/output/FrameOutput.h"
#include "platform/view/ScreenSaverView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace aerolune {

class RunLoop {
public:
    // The output may be null (logic tests); it must outlive the loop.
    explicit RunLoop(std::shared_ptr<ScreenSaverView> view, FrameOutput* output = nullptr);
    // A loop with no screen yet, listening to `events` (may be null), which
    // must outlive it and usually adds the screens as it learns of them.
    explicit RunLoop(EventSource* events);

    // Adds a screen; the output (null in logic tests) must outlive its stay.
    // While run() runs, the view is started if it is not animating yet.
    void addScreen(std::shared_ptr<ScreenSaverView> view, FrameOutput* output);
    // Removes the screen shown in `output`, stopping its view if the loop
    // started it. Not from inside a frame.
    void removeScreen(const FrameOutput* output);
    std::size_t screenCount() const { return screens_.size(); }

    // Runs in real time until stop(), a signal, or an output or the event
    // source closing. Starts the views that are not animating and stops them
    // at the end. Returns the process's exit status: 0 for each of these ends.
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
    // How near a frame must be for the events to wait for it, in seconds:
    // a still saver's frame a minute away must not keep a closed window open.
    static constexpr double eventsWaitAtMost = 0.1;
    // The first screen's view.
    ScreenSaverView& view() const { return *screens_.front().view; }

private:
    struct Screen {
        std::shared_ptr<ScreenSaverView> view;
        FrameOutput* output = nullptr;
        bool startedHere = false;
    };

    void runScreen(Screen& screen);
    bool wantsAnyFrame() const;
    bool awaitsAnyFrame() const;
    bool processEvents();
    void startViews();
    void stopViews();
    // The shortest animation interval of the screens' views.
    double frameInterval() const;
    // The moment of the next frame on the grid after `frameTime`, skipping the
    // ones already past at `now`.
    double nextFrameAfter(double frameTime, double now) const;
    // Sleeps until the deadline, a signal or work posted from elsewhere, and
    // the events of the source and the outputs `withEvents`.
    void sleepUntil(std::optional<double> deadline, int signalFd, bool withEvents) const;
    void sleepUntilNextTurn(const SignalWatcher& signals);

    std::vector<Screen> screens_;
    EventSource* events_ = nullptr;
    bool running_ = false;
    std::optional<double> nextFrame_;
    std::optional<double> lastFrame_;
    std::uint64_t frames_ = 0;
    bool stopRequested_ = false;
};

} // namespace aerolune
