#pragma once

// A layer filled with a linear blend of two or more colours, spaced evenly
// along the axis from (0.5, 0) to (0.5, 1) of its unit square: with y up, the
// first colour at the bottom edge and the last at the top, unless the layer's
// transform turns it. With fewer than two colours it shows its background only.

#include "platform/view/Layer.h"

namespace aerolune {

class GradientLayer : public Layer {
public:
    const std::vector<Color>& colors() const { return colors_; }
    void setColors(std::vector<Color> colors);

    static constexpr Point startPoint() { return {0.5, 0}; }
    static constexpr Point endPoint() { return {0.5, 1}; }

    // The colours shown at `now` (monotonic seconds): those of a running
    // "colors" animation, the model value otherwise.
    std::vector<Color> presentationColors(double now) const override;
    bool showsBackgroundOnly() const override { return false; }

private:
    std::vector<Color> colors_;
};

} // namespace aerolune
