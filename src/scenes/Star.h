#pragma once

// One star of the night sky: a small disc of warm white. Its opacity is its
// brightness, set from its size when the sky scatters it and kept when it
// twinkles; brighter stars drift faster.

#include "platform/view/Layer.h"

namespace aerolune {

class Star : public Layer {
public:
    // A star with a zero frame, not yet placed.
    Star();
    // No copy constructor: our compositor draws layers in place and never copies them.

    // Points moved to the left per frame: the opacity divided by 50, in single
    // precision, so from 0.005 to 0.015 for the opacities a draw gives.
    double speed() const { return static_cast<double>(opacity() / 50.0f); }

    void layoutSublayers() override;
};

} // namespace aerolune
