#pragma once

// The night sky: a flat dark-blue background with 300 small stars.
//
// Every draw scatters the stars anew, with a new size and brightness, from the
// view's left edge to starMargin beyond its right edge. Each frame some stars
// change their size a little (the twinkle) and all drift left by their speed;
// a star that has left on the left is hidden and put starMargin beyond the
// right edge at a random height, and shows again once it has come back to the
// view's width.
//
// A twinkle never takes a star to minStarSize or maxStarSize or beyond: a
// change that would is dropped and the star keeps its size. A star that no
// draw has sized yet (side 0) keeps its size too.

#include "scenes/AnimatableView.h"
#include "scenes/Star.h"

#include <memory>
#include <vector>

namespace aerolune {

class NightView : public AnimatableView {
public:
    static constexpr int starCount = 300;
    static constexpr double minStarSize = 1.0;
    static constexpr double maxStarSize = 3.0;
    static constexpr double starMargin = 100.0;
    // The chance that a star tries to change its size on a frame.
    static constexpr double twinkleChance = 0.4;
    // A growth is less than this share of the side, a shrink less than that one.
    static constexpr double maxGrowth = 1.1;
    static constexpr double maxShrink = 0.1;
    // A star's opacity is its side times this.
    static constexpr double brightnessPerPoint = 0.25;

    // A view with a zero frame; its owner sizes it.
    NightView();

    // In the order of their layers.
    const std::vector<std::shared_ptr<Star>>& stars() const { return stars_; }

    // Scatters the stars over the dirty rectangle's size (its origin is ignored).
    void drawRect(const Rect& dirtyRect) override;
    // One frame of twinkle and drift, against the view's current bounds.
    void animate() override;

private:
    static double twinkled(double side);
    void step(Star& star) const;

    std::vector<std::shared_ptr<Star>> stars_;
};

} // namespace aerolune
