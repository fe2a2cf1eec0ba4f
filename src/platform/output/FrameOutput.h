#pragma once

// Where the run loop's frames go: a window, a PNG file, or nothing (tests).

#include "platform/core/Geometry.h"

namespace aerolune {

class View;

class FrameOutput {
public:
    virtual ~FrameOutput() = default;

    // The size frames are shown at, in points; the run loop gives the root view
    // this size before each frame.
    virtual Size size() const = 0;
    // Draws the view tree as it shows at `now` (monotonic seconds) and shows it.
    virtual void present(View& root, double now) = 0;
    // A descriptor that becomes readable when the output has events, or -1
    // for none. The run loop reads the events before each frame and wakes
    // for them only when no frame is near.
    virtual int eventFd() const { return -1; }
    // Handles pending events (resizes and the like). False once the output is
    // gone, which ends the run loop.
    virtual bool processEvents() { return true; }
    // Whether the output can show a frame now. One that cannot (a Wayland
    // surface the compositor has not asked to draw, being hidden or between
    // its refreshes) is skipped: its view is neither animated nor drawn.
    virtual bool wantsFrame() const { return true; }
    // Whether it wants no frame only until its server's word that the last
    // one was taken, which is expected by the next frame's moment (a Wayland
    // surface between two refreshes of its monitor).
    virtual bool awaitsFrame() const { return false; }
};

} // namespace aerolune
