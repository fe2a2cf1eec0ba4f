#include "scenes/DayView.h"

#include "palette/ColorHelper.h"
#include "platform/core/Random.h"

#include <cmath>

namespace aerolune {

DayView::DayView() : clouds_(makeClouds()) {
    setWantsLayer(true);
    if (Layer* backing = layer()) {
        backing->setBackgroundColor(ColorHelper::daySkyColor());
        for (const auto& cloud : clouds_)
            backing->addSublayer(cloud);
    }
}

std::vector<std::shared_ptr<Cloud>> DayView::makeClouds() {
    Random& random = Random::shared();
    std::vector<std::shared_ptr<Cloud>> clouds;
    clouds.reserve(cloudCount);
    for (int i = 0; i < cloudCount; ++i) {
        const double width = std::round(random.uniform(minCloudWidth, maxCloudWidth));
        const double height = std::round(random.uniform(minCloudAspect, maxCloudAspect) * width);
        clouds.push_back(std::make_shared<Cloud>(Rect(0, 0, width, height)));
    }
    return clouds;
}

void DayView::drawRect(const Rect& dirtyRect) {
    AnimatableView::drawRect(dirtyRect);
    Random& random = Random::shared();
    for (const auto& cloud : clouds_) {
        const Size size = cloud->frame().size;
        const double x = random.uniform(-cloudMargin, dirtyRect.width() + cloudMargin);
        const double y = random.uniform(-cloudMargin, dirtyRect.height());
        cloud->setFrame(Rect(Point{x, y}, size));
    }
}

void DayView::animate() {
    for (const auto& cloud : clouds_)
        drift(*cloud);
}

void DayView::drift(Cloud& cloud) const {
    const Rect frame = cloud.frame();
    const Rect area = bounds();
    double x = frame.minX() - cloud.cloudspeed();
    double y = frame.minY();
    if (x + frame.width() < 0) {
        cloud.setHidden(true);
        x = area.width() + cloudMargin;
        // A view not sized yet has no height to choose from.
        y = area.height() > 0 ? Random::shared().uniform(0, area.height()) : 0.0;
    } else if (x <= area.width()) {
        cloud.setHidden(false);
    }
    cloud.setFrame(Rect(Point{x, y}, frame.size));
}

} // namespace aerolune
