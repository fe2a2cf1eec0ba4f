#pragma once

// Rectangles between layer coordinates and device pixels, for the compositor.

#include "platform/core/Geometry.h"

#include <cairo.h>

namespace aerolune {

// The bounding box of a rectangle carried through a matrix.
Rect transformedBox(const cairo_matrix_t& matrix, const Rect& rect);

// From the coordinates of a view whose bottom-left lies at (x, y) points of
// the root, y up, to the device pixels of an image `height` pixels tall, y
// down, `scale` pixels a point.
cairo_matrix_t viewMatrix(double x, double y, double scale, int height);

// The whole pixels covering a rectangle; rounding noise of 1e-7 is not a pixel.
cairo_rectangle_int_t pixelsCovering(const Rect& rect);

} // namespace aerolune
