#include "scenes/NightView.h"

#include "palette/ColorHelper.h"
#include "platform/core/Random.h"

namespace aerolune {
namespace {

// A random height in [0, height); a view or rectangle without height has only 0.
double randomHeight(double height) {
    return height > 0 ? Random::shared().uniform(0, height) : 0.0;
}

} // namespace

NightView::NightView() {
    stars_.reserve(starCount);
    for (int i = 0; i < starCount; ++i)
        stars_.push_back(std::make_shared<Star>());
    setWantsLayer(true);
    if (Layer* backing = layer()) {
        for (const auto& star : stars_)
            backing->addSublayer(star);
        backing->setBackgroundColor(ColorHelper::nightSkyColor());
    }
}

void NightView::drawRect(const Rect& dirtyRect) {
    AnimatableView::drawRect(dirtyRect);
    Random& random = Random::shared();
    for (const auto& star : stars_) {
        const double side = random.uniform(minStarSize, maxStarSize);
        const double x = random.uniform(0, starMargin + dirtyRect.width());
        const double y = randomHeight(dirtyRect.height());
        star->setFrame(Rect(x, y, side, side));
        star->setOpacity(static_cast<float>(side * brightnessPerPoint));
    }
}

void NightView::animate() {
    for (const auto& star : stars_)
        step(*star);
}

double NightView::twinkled(double side) {
    Random& random = Random::shared();
    if (!(random.uniform(0, 1) < twinkleChance) || !(side > 0))
        return side;
    const double change =
        random.coin() ? random.uniform(0, side * maxGrowth) : -random.uniform(0, side * maxShrink);
    const double next = side + change;
    return minStarSize < next && next < maxStarSize ? next : side;
}

void NightView::step(Star& star) const {
    const Rect frame = star.frame();
    const Rect area = bounds();
    const double side = twinkled(frame.width());
    double x = frame.minX() - star.speed();
    double y = frame.minY();
    if (x + side < 0) {
        star.setHidden(true);
        x = area.width() + starMargin;
        y = randomHeight(area.height());
    } else if (x <= area.width()) {
        star.setHidden(false);
    }
    star.setFrame(Rect(x, y, side, side));
}

} // namespace aerolune
