#include "aerolune/SaverHostView.h"

#include "platform/core/Clock.h"

#include <cstdio>

namespace aerolune {
namespace {

const Rect frameRateFrame(8, 8, 96, 22);

} // namespace

std::shared_ptr<SaverHostView> SaverHostView::create(const Rect& frame, bool isPreview,
                                                     FrameRate frameRate) {
    auto saver = AeroluneSaverView::create(Rect(Point{}, frame.size), isPreview);
    if (!saver)
        return nullptr;
    auto host = std::make_shared<SaverHostView>(std::move(saver), frame, isPreview);
    if (frameRate == FrameRate::shown)
        host->showFrameRate();
    return host;
}

SaverHostView::SaverHostView(std::shared_ptr<AeroluneSaverView> saver, const Rect& frame,
                             bool isPreview)
    : ScreenSaverView(frame, isPreview), saver_(std::move(saver)) {
    setAnimationTimeInterval(saver_->animationTimeInterval());
    addSubview(saver_);
}

void SaverHostView::setStill(bool still) {
    setAnimationTimeInterval(still ? stillFrameInterval : saver_->animationTimeInterval());
    saver_->skySaverView()->skyCoordinator()->setFadesViews(!still);
}

void SaverHostView::showFrameRate() {
    frameRateView_ = std::make_shared<View>(frameRateFrame);
    frameRateView_->setWantsLayer(true);
    frameRateText_ = std::make_shared<TextLayer>();
    frameRateText_->setForegroundColor(Color{1, 1, 1, 1});
    frameRateText_->setFrame(Rect(Point{}, frameRateFrame.size));
    if (Layer* layer = frameRateView_->layer()) {
        layer->setBackgroundColor(Color{0, 0, 0, 0.6});
        layer->setCornerRadius(4);
        layer->addSublayer(frameRateText_);
    }
    addSubview(frameRateView_);
}

std::string SaverHostView::frameRateText() const {
    return frameRateText_ ? frameRateText_->text() : std::string();
}

void SaverHostView::startAnimation() {
    ScreenSaverView::startAnimation();
    countSince_ = Clock::current().monotonic();
    framesCounted_ = 0;
    saver_->startAnimation();
}

void SaverHostView::stopAnimation() {
    ScreenSaverView::stopAnimation();
    saver_->stopAnimation();
}

void SaverHostView::animateOneFrame() {
    saver_->animateOneFrame();
    if (frameRateText_)
        countFrame();
}

// The rate over the last whole second, so that the text changes once a second.
void SaverHostView::countFrame() {
    ++framesCounted_;
    const double now = Clock::current().monotonic();
    if (now - countSince_ < 1.0)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f fps", framesCounted_ / (now - countSince_));
    frameRateText_->setText(text);
    countSince_ = now;
    framesCounted_ = 0;
}

void SaverHostView::layout() {
    ScreenSaverView::layout();
    saver_->setFrame(bounds());
}

} // namespace aerolune
