#include "platform/view/ScreenSaverView.h"

#include <cmath>

namespace aerolune {

std::shared_ptr<ScreenSaverView> ScreenSaverView::create(const Rect& frame, bool isPreview) {
    if (!isUsableFrame(frame))
        return nullptr;
    return std::make_shared<ScreenSaverView>(frame, isPreview);
}

bool ScreenSaverView::isUsableFrame(const Rect& frame) {
    return std::isfinite(frame.origin.x) && std::isfinite(frame.origin.y) &&
           std::isfinite(frame.size.width) && std::isfinite(frame.size.height) &&
           frame.size.width >= 0 && frame.size.height >= 0;
}

ScreenSaverView::ScreenSaverView(const Rect& frame, bool isPreview)
    : View(frame), isPreview_(isPreview) {}

void ScreenSaverView::startAnimation() {
    isAnimating_ = true;
}

void ScreenSaverView::stopAnimation() {
    isAnimating_ = false;
}

void ScreenSaverView::setAnimationTimeInterval(double seconds) {
    // A host cannot run frames faster than it can count them; a nonsensical
    // interval keeps the default.
    animationTimeInterval_ =
        std::isfinite(seconds) && seconds > 0 ? seconds : defaultAnimationTimeInterval;
}

} // namespace aerolune
