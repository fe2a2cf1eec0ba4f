#pragma once

// Fast filling of many small rounded rectangles (the puffs of a cloud, the
// stars of the night) into an ARGB32 image. Cairo computes the coverage of one
// shape once, for each size, radius and sub-pixel phase; every further shape
// of that kind is a blend of its colour through that coverage, the same
// arithmetic Cairo's own fill uses (source IN coverage, then OVER), without a
// path per shape.

#include "platform/core/Color.h"
#include "platform/render/CairoHandles.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace aerolune {

class DiscStamps {
public:
    // Fills the rounded rectangle whose top-left corner is at device (x, y)
    // (y down) with `color` at `alpha` into the image surface `target`,
    // writing only pixels inside `clip` (null: anywhere in the image).
    void fill(cairo_surface_t* target, double x, double y, double width, double height,
              double radius, const Color& color, double alpha,
              const cairo_rectangle_int_t* clip = nullptr);

private:
    struct Key {
        double width, height, radius, phaseX, phaseY;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    struct Mask {
        int columns, rows;
        std::vector<std::uint8_t> coverage;
    };

    const Mask& maskFor(const Key& key);

    std::unordered_map<Key, Mask, KeyHash> masks_;
    std::vector<std::uint32_t> covered_;
};

} // namespace aerolune
