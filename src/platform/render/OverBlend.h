#pragma once

// OVER of a row of premultiplied 0xAARRGGBB pixels onto another:
// destination = source + destination x (255 - source alpha) / 255, per
// channel, with the rounding and saturation of Cairo's own pixel code, so that
// either path gives the same pixels. Eight pixels at a time where the
// processor has AVX2; the cloud scene blends a million pixels a frame.

#include <cstdint>

namespace aerolune {

// Whether blendOverRow has a fast path on this processor; without one,
// callers are better served by pixman.
bool hasFastBlendOver();

void blendOverRow(std::uint32_t* destination, const std::uint32_t* source, int count);

} // namespace aerolune
