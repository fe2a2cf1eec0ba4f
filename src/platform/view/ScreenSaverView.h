#pragma once

// The view a screen-saver host drives: created with a frame and a preview
// flag, started, asked for one frame at a time at the interval it sets, and
// stopped. The base class's own start, stop and frame calls only keep the
// animating flag; subclasses that override them may call them first.

#include "platform/view/View.h"

#include <memory>

namespace aerolune {

class ScreenSaverView : public View {
public:
    // The interval hosts use until the view sets its own.
    static constexpr double defaultAnimationTimeInterval = 1.0 / 30.0;

    // A new view, or none when the frame cannot be a window's (not finite, or
    // of negative size).
    static std::shared_ptr<ScreenSaverView> create(const Rect& frame, bool isPreview);
    // What create() checks; subclasses' own create() functions ask it too.
    static bool isUsableFrame(const Rect& frame);

    ScreenSaverView(const Rect& frame, bool isPreview);

    virtual void startAnimation();
    virtual void stopAnimation();
    virtual void animateOneFrame() {}

    double animationTimeInterval() const { return animationTimeInterval_; }
    void setAnimationTimeInterval(double seconds);
    bool isPreview() const { return isPreview_; }
    bool isAnimating() const { return isAnimating_; }

private:
    double animationTimeInterval_ = defaultAnimationTimeInterval;
    bool isPreview_;
    bool isAnimating_ = false;
};

} // namespace aerolune
