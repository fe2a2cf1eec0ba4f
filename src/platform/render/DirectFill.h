#pragma once

// Fills and copies straight into the pixels of an ARGB32 image, box by box of
// the part that may change, where Cairo's general path (a clip, a pattern, a
// path) would cost several times more than the pixels themselves:
// - an opaque rectangle on whole pixels;
// - an opaque, axis-aligned linear gradient: every row (or column) is one
//   colour, so filling costs about what clearing does;
// - a picture placed on whole pixels, composited OVER.
// Each returns false, writing nothing, when its case does not apply; callers
// then draw through Cairo.

#include "platform/core/Color.h"
#include "platform/core/Geometry.h"
#include "platform/render/CairoHandles.h"

#include <cairo.h>
#include <cstdint>
#include <optional>
#include <vector>

namespace aerolune {

// An opaque gradient on whole pixels, turned by quarter turns only, shows one
// colour a line: its 8-bit pixels line by line across its device box (rows top
// down, or columns left to right when turned).
struct GradientRamp {
    cairo_rectangle_int_t bounds;
    bool alongColumns = false;
    std::vector<std::uint32_t> pixels;
};
std::optional<GradientRamp> gradientRamp(const cairo_matrix_t& matrix, Size size,
                                         const std::vector<Color>& colors);
// Whether `ramp` lies where gradientRamp would put one for this matrix and
// size: the same whole pixels, lined up the same way.
bool isRampOf(const GradientRamp& ramp, const cairo_matrix_t& matrix, Size size);

// `matrix` maps the layer's local coordinates (y up, its bounds of `size`) to
// device pixels; the colours are spread evenly from local y = 0 to y = height.
// Only pixels inside `allowed` are written. Returns false, writing nothing, when
// the gradient does not qualify.
bool fillGradientDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                        const cairo_matrix_t& matrix, Size size, const std::vector<Color>& colors);
// The same with its ramp already worked out.
void fillGradientDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                        const GradientRamp& ramp);

// The whole device pixels a layer of `size` covers, when its matrix turns it by
// quarter turns only and its edges fall on pixel boundaries.
std::optional<cairo_rectangle_int_t> alignedPixels(const cairo_matrix_t& matrix, Size size);

// `matrix` maps the layer's local coordinates to device pixels, as above.
bool fillSolidDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                     const cairo_matrix_t& matrix, Size size, const Color& color);

// Composites `picture` with its top-left corner at device (x, y) OVER the image,
// at `alpha`, inside `allowed`.
bool compositePictureDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                            cairo_surface_t* picture, int x, int y, double alpha);

// A colour as the opaque 0xAARRGGBB pixel it shows as.
std::uint32_t opaquePixel(const Color& color);
// The boxes of `allowed` inside `bounds` and inside the image.
CairoRegion boxesWithin(cairo_surface_t* image, const cairo_region_t* allowed,
                        const cairo_rectangle_int_t& bounds);
// Puts into `band` the rectangles of `region` from index `first` on that share
// its rows (a region keeps them in bands of equal y and height, left to
// right) and returns the index after them.
int gatherBand(const cairo_region_t* region, int first, std::vector<cairo_rectangle_int_t>& band);

// Fills the boxes of `area` with one opaque colour.
void fillRegionDirect(cairo_surface_t* image, const cairo_region_t* area, const Color& color);

// The colour at a fraction t (clamped to [0, 1]) of the way along evenly spaced stops.
Color gradientColorAt(const std::vector<Color>& colors, double t);

} // namespace aerolune
