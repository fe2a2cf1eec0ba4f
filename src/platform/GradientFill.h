#pragma once

// Writes an opaque, axis-aligned linear gradient straight into the pixels of
// an ARGB32 image: every row (or every column) is one colour, so filling costs
// about what clearing does. Callers use Cairo's gradient for everything else
// (turned by other than quarter turns, translucent, unaligned edges).

#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>
#include <vector>

namespace aerolune {

// `matrix` maps the layer's local coordinates (y up, its bounds of `size`) to
// device pixels; the colours are spread evenly from local y = 0 to y = height.
// Only pixels inside `allowed` are written. Returns false, writing nothing, when
// the gradient does not qualify.
bool fillGradientDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                        const cairo_matrix_t& matrix, Size size, const std::vector<Color>& colors);

// The colour at a fraction t (clamped to [0, 1]) of the way along evenly spaced stops.
Color gradientColorAt(const std::vector<Color>& colors, double t);

} // namespace aerolune
