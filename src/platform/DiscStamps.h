#pragma once

// Fast filling of many equal small rounded rectangles (the puffs of a cloud)
// into an ARGB32 image. Cairo computes the coverage of one shape once, for each
// size, radius and sub-pixel phase; every further shape of that kind is a
// blend of its colour through that coverage, the same arithmetic Cairo's own
// fill uses (source IN coverage, then OVER), without a path per shape.

#include "platform/CairoHandles.h"
#include "platform/Color.h"

#include <cstdint>
#include <vector>

namespace aerolune {

class DiscStamps {
public:
    // Fills the rounded rectangle whose top-left corner is at device (x, y)
    // (y down) with `color` at `alpha` into the image surface `target`.
    void fill(cairo_surface_t* target, double x, double y, double width, double height,
              double radius, const Color& color, double alpha);

private:
    struct Mask {
        double width, height, radius, phaseX, phaseY;
        int columns, rows;
        std::vector<std::uint8_t> coverage;
    };

    const Mask& maskFor(double width, double height, double radius, double phaseX, double phaseY);

    std::vector<Mask> masks_;
    std::vector<std::uint32_t> covered_;
};

} // namespace aerolune
