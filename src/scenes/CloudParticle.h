#pragma once

// One puff of a cloud: a 9-point disc of near-white. Its alpha is what it adds
// to the cloud's density, so that many overlapping puffs give a dense centre
// and a soft rim. The disc keeps itself round whatever size it is given.

#include "platform/view/Layer.h"

namespace aerolune {

class CloudParticle : public Layer {
public:
    // The side of the square a puff is laid out in, in points.
    static constexpr double size = 9.0;

    explicit CloudParticle(double alpha);
    // No copy constructor: our compositor draws layers in place and never copies them.

    void layoutSublayers() override;
};

} // namespace aerolune
