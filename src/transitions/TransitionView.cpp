#include "transitions/TransitionView.h"

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "transitions/GradientStep.h"

#include <algorithm>

namespace aerolune {
namespace {

std::vector<Color> shuffledColors(const std::optional<Color>& startColor) {
    std::vector<Color> colors = ColorHelper::allColors();
    if (startColor)
        std::erase(colors, *startColor);
    Random::shared(Random::Stream::backdrop).shuffle(colors);
    return colors;
}

} // namespace

TransitionView::TransitionView(std::optional<Color> startColor)
    : gradientColors_(shuffledColors(startColor)) {
    if (!gradientColors_.empty()) {
        const Color& first = gradientColors_.front();
        gradientLayer_->setColors({startColor.value_or(first), first});
    }
    const auto turn = Random::shared(Random::Stream::backdrop).below(orientations.size());
    gradientLayer_->setTransform(Transform::makeRotation(orientations[turn]));
    setWantsLayer(true);
    if (Layer* backing = layer())
        backing->addSublayer(gradientLayer_);
}

void TransitionView::start() {
    if (hasStarted_)
        return;
    hasStarted_ = true;
    runStep(0);
}

void TransitionView::drawRect(const Rect& dirtyRect) {
    NativeKitView::drawRect(dirtyRect);
    gradientLayer_->setFrame(bounds());
}

void TransitionView::runStep(int step) {
    if (!hasGradientStep(gradientColors_, step)) {
        setIsComplete(true);
        return;
    }
    const int seconds = step == 0 ? firstStepSeconds : stepSeconds;
    animateGradientStep(*gradientLayer_, gradientColors_, step, seconds);
    MainQueue::main().asyncAfter(seconds, weak_from_this(), [step](View& view) {
        static_cast<TransitionView&>(view).runStep(step + 1);
    });
}

void TransitionView::setIsComplete(bool complete) {
    isComplete_ = complete;
    if (complete && delegate_) {
        std::optional<Color> lastColor;
        if (!gradientColors_.empty())
            lastColor = gradientColors_.back();
        delegate_->transitionViewDidComplete(lastColor);
    }
}

} // namespace aerolune
