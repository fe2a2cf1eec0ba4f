#pragma once

// Something outside the process that the run loop listens to besides its
// outputs: a connection to a display server whose events may add or remove
// screens, and whose loss ends the loop.

namespace aerolune {

class EventSource {
public:
    virtual ~EventSource() = default;

    // A descriptor that becomes readable when there are events, or -1. The
    // run loop wakes for them only when no frame is near (see FrameOutput).
    virtual int eventFd() const = 0;
    // Handles what has arrived without waiting, and sends what is queued.
    // False once the source is gone, which ends the run loop.
    virtual bool processEvents() = 0;
};

} // namespace aerolune
