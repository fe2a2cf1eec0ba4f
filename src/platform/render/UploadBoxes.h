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

} // namespace aerolune
