#pragma once

// The day sky: a flat day-blue background with 25 clouds that drift slowly to
// the left and come back in from the right.
//
// Every draw scatters the clouds anew, across the whole view and up to
// cloudMargin beyond its left, right and lower edges. Each frame moves every
// cloud left by its own speed. A cloud that has left on the left is hidden and
// put cloudMargin beyond the right edge at a random height; it shows again on
// the first frame its left edge has reached the view's width, so that it never
// pops up inside the view.

#include "scenes/AnimatableView.h"
#include "scenes/Cloud.h"

#include <memory>
#include <vector>

namespace aerolune {

class DayView : public AnimatableView {
public:
    static constexpr int cloudCount = 25;
    static constexpr double cloudMargin = 100.0;
    // The range of a cloud's width, and of its height as a share of its width.
    static constexpr double minCloudWidth = 150;
    static constexpr double maxCloudWidth = 350;
    static constexpr double minCloudAspect = 0.5;
    static constexpr double maxCloudAspect = 0.8;

    // A view with a zero frame; its owner sizes it.
    DayView();

    // In the order of their layers, each later cloud above the earlier ones.
    const std::vector<std::shared_ptr<Cloud>>& clouds() const { return clouds_; }

    // Scatters the clouds over the dirty rectangle's size (its origin is ignored).
    void drawRect(const Rect& dirtyRect) override;
    // One frame of drift, against the view's current bounds.
    void animate() override;

private:
    static std::vector<std::shared_ptr<Cloud>> makeClouds();
    void drift(Cloud& cloud) const;

    std::vector<std::shared_ptr<Cloud>> clouds_;
};

} // namespace aerolune
