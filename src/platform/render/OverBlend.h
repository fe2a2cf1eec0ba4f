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

// Every channel of a packed 0xAARRGGBB pixel times a / 255, rounded as Cairo's
// pixel arithmetic rounds it, two channels per multiplication.
inline std::uint32_t multiplyPixel(std::uint32_t pixel, std::uint32_t a) {
    std::uint32_t rb = (pixel & 0xff00ff) * a + 0x800080;
    rb = ((rb + ((rb >> 8) & 0xff00ff)) >> 8) & 0xff00ff;
    std::uint32_t ag = ((pixel >> 8) & 0xff00ff) * a + 0x800080;
    ag = (ag + ((ag >> 8) & 0xff00ff)) & 0xff00ff00;
    return rb | ag;
}

void blendOverRow(std::uint32_t* destination, const std::uint32_t* source, int count);

} // namespace aerolune
