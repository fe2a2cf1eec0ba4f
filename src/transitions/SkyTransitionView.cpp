#include "transitions/SkyTransitionView.h"

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "transitions/GradientStep.h"

#include <numbers>

namespace aerolune {

SkyTransitionView::SkyTransitionView(SkyTransitionType type) : type_(type) {
    if (type == SkyTransitionType::sunrise) {
        gradientLayer_->setColors({ColorHelper::nightSkyColor(), ColorHelper::nightSkyColor()});
        gradientLayer_->setTransform(Transform::makeRotation(std::numbers::pi));
        gradientColors_ = ColorHelper::sunriseColors();
    } else {
        gradientLayer_->setColors({ColorHelper::daySkyColor(), ColorHelper::daySkyColor()});
        gradientColors_ = ColorHelper::sunsetColors();
    }
    setWantsLayer(true);
    if (Layer* backing = layer())
        backing->addSublayer(gradientLayer_);
}

void SkyTransitionView::animate() {
    if (hasStarted_)
        return;
    hasStarted_ = true;
    runStep(0);
}

void SkyTransitionView::drawRect(const Rect& dirtyRect) {
    AnimatableView::drawRect(dirtyRect);
    gradientLayer_->setFrame(bounds());
}

void SkyTransitionView::runStep(int step) {
    if (!hasGradientStep(gradientColors_, step)) {
        isComplete_ = true;
        if (auto delegate = delegate_.lock())
            delegate->skyTransitionViewDidComplete();
        return;
    }
    animateGradientStep(*gradientLayer_, gradientColors_, step, stepSeconds);
    MainQueue::main().asyncAfter(stepSeconds, weak_from_this(), [step](View& view) {
        static_cast<SkyTransitionView&>(view).runStep(step + 1);
    });
}

} // namespace aerolune
