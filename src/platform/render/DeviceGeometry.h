#pragma once

// Rectangles between layer coordinates and device pixels, for the compositor.

#include "platform/core/Geometry.h"

#include <cairo.h>

namespace aerolune {

// The bounding box of a rectangle carried through a matrix.
Rect transformedBox(const cairo_matrix_t& matrix, const Rect& rect);

// The whole pixels covering a rectangle; rounding noise of 1e-7 is not a pixel.
cairo_rectangle_int_t pixelsCovering(const Rect& rect);

} // namespace aerolune
