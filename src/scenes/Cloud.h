#pragma once

// A cloud: an invisible rectangle holding a grid of puffs, one every 4 points
// from its bottom-left corner. A puff's alpha is the product of its distances
// to the nearer of the two edges in each direction, scaled so that the middle
// of the cloud reaches 0.2: zero along the two starting edges, densest in the
// middle. Puffs overhang the cloud's rectangle and are not clipped to it.
//
// The puffs are made once, for the size the cloud was made at, when they are
// first needed: in the layout pass before the cloud is first drawn, or when
// asked for. A cloud of W x H holds (W div 4) x (H div 4), up to some six
// thousand for the largest cloud of a day sky; a day sky that is never drawn
// (a simulated year, the logic of a wallpaper between its pictures) never
// makes its sixty thousand.

#include "platform/view/Layer.h"
#include "scenes/CloudParticle.h"

#include <memory>
#include <optional>
#include <vector>

namespace aerolune {

class Cloud : public Layer {
public:
    // The range of cloudspeed, in points per frame.
    static constexpr double minSpeed = 0.05;
    static constexpr double maxSpeed = 0.7;
    // The distance between neighbouring puffs.
    static constexpr double particleSpacing = 4.0;

    // A cloud at `frame`, whose width and height are finite and not negative
    // (a size that is not gives a cloud without puffs).
    explicit Cloud(const Rect& frame);
    // No copy constructor: our compositor draws layers in place and never copies them.

    // How far the cloud moves to the left on each frame, drawn once at creation.
    double cloudspeed() const { return cloudspeed_; }
    // The puffs, its sublayers, in the order they were made; made now if need be.
    const std::vector<std::shared_ptr<Layer>>& particles();

    void layoutSublayers() override;

private:
    // Kept by the cloud as sublayers alone: a list of its own would cost a
    // day sky a megabyte.
    static std::vector<std::shared_ptr<CloudParticle>> buildParticles(double width, double height);
    void makeParticles();

    double cloudspeed_;
    // The size the puffs are laid out for, until they are made.
    std::optional<Size> unmade_;
};

} // namespace aerolune
