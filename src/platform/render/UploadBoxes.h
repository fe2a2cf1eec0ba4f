#pragma once

// The rectangles to send to a display server for a frame's redrawn ones.
// Each request costs the server about as much as copying a few thousand
// pixels, and a night sky redraws a hundred specks a frame; nearby pieces are
// sent as one box around them when that box holds no more than one request's
// worth of pixels beyond theirs. Every redrawn pixel stays inside a box sent.

#include "platform/render/Compositor.h"

#include <vector>

namespace aerolune {

// The pixels that cost about one request to copy.
constexpr long uploadRequestPixels = 4096;

std::vector<PixelRect> uploadBoxes(std::vector<PixelRect> redrawn,
                                   long requestPixels = uploadRequestPixels);

// The pixels across which copying on costs less than starting another copy.
constexpr int bridgedPixels = 32;

// The pieces of a region (banded: those that share their rows listed together,
// left to right) with pieces on the same rows less than `gap` pixels apart
// joined across the gap. Where the memory copied from holds the whole frame,
// the gap's pixels are as good to copy as the pieces'; and a burst of thin
// lines (a backdrop whose colours moved a level) is copied a row at a time,
// not a line at a time through every row.
std::vector<PixelRect> bridged(const std::vector<PixelRect>& banded, int gap = bridgedPixels);

} // namespace aerolune
