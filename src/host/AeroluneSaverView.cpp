#include "host/AeroluneSaverView.h"

#include "platform/core/Log.h"

#include <cmath>

namespace aerolune {

std::shared_ptr<AeroluneSaverView> AeroluneSaverView::create(const Rect& frame, bool isPreview) {
    systemLog("[vemo] AeroluneSaverView.init " + describe(frame) + " " +
              (isPreview ? "true" : "false"));
    auto backdrop = AbstractSaverView::create(frame, isPreview);
    auto sky = SkySaverView::create(frame, isPreview);
    if (!isUsableFrame(frame))
        return nullptr;
    auto view = std::make_shared<AeroluneSaverView>(backdrop, sky, frame, isPreview);
    view->setAnimationTimeInterval(animationInterval);
    if (backdrop)
        view->addSubview(backdrop);
    if (sky) {
        view->addSubview(sky);
        sky->setWantsLayer(true);
    }
    return view;
}

AeroluneSaverView::AeroluneSaverView(std::shared_ptr<AbstractSaverView> abstractSaverView,
                                     std::shared_ptr<SkySaverView> skySaverView, const Rect& frame,
                                     bool isPreview)
    : ScreenSaverView(frame, isPreview), abstractSaverView_(std::move(abstractSaverView)),
      skySaverView_(std::move(skySaverView)) {}

double AeroluneSaverView::inset(Size size) {
    return std::round(0.2 * std::sqrt(size.width * size.height));
}

ConfigureSheet AeroluneSaverView::configureSheet(Geocoder::Poster mainThread) {
    return ConfigureSheet::create(std::move(mainThread));
}

void AeroluneSaverView::startAnimation() {
    ScreenSaverView::startAnimation();
    if (abstractSaverView_)
        abstractSaverView_->startAnimation();
    if (skySaverView_)
        skySaverView_->startAnimation();
}

void AeroluneSaverView::stopAnimation() {
    ScreenSaverView::stopAnimation();
    if (abstractSaverView_)
        abstractSaverView_->stopAnimation();
    if (skySaverView_)
        skySaverView_->stopAnimation();
}

void AeroluneSaverView::animateOneFrame() {
    if (abstractSaverView_)
        abstractSaverView_->animateOneFrame();
    if (skySaverView_)
        skySaverView_->animateOneFrame();
}

void AeroluneSaverView::drawRect(const Rect& dirtyRect) {
    ScreenSaverView::drawRect(dirtyRect);
    const Rect area = bounds();
    if (abstractSaverView_)
        abstractSaverView_->setFrame(area);
    if (skySaverView_) {
        const double d = inset(area.size);
        skySaverView_->setFrame(area.insetBy(d, d));
    }
}

} // namespace aerolune
