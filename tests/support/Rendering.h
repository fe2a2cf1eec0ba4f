#pragma once

// Rendering a view tree as the host loop would (layout pass, display pass,
// compositor) and reading back its pixels, for tests that check pictures by
// their properties.

#include "platform/core/Color.h"
#include "platform/render/Compositor.h"

#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace aerolune::test {

struct Rgb {
    int r = 0, g = 0, b = 0;
    int sum() const { return r + g + b; }
};

// One frame of the tree at `now`, as the run loop draws it.
inline void renderFrame(Compositor& compositor, View& root, double now) {
    root.layoutSubtreeIfNeeded();
    root.displayIfNeeded();
    compositor.render(root, now);
}

// The pixel at (x, y) in the views' coordinates: y counted up from the bottom row.
inline Rgb pixelAt(const Compositor& compositor, int x, int y) {
    cairo_surface_t* image = compositor.image();
    const int row = compositor.height() - 1 - y;
    const auto* data =
        cairo_image_surface_get_data(image) + row * cairo_image_surface_get_stride(image) + 4 * x;
    std::uint32_t value;
    std::memcpy(&value, data, 4);
    return {static_cast<int>(value >> 16 & 255), static_cast<int>(value >> 8 & 255),
            static_cast<int>(value & 255)};
}

// The 8-bit value of a colour drawn opaquely.
inline Rgb rgbOf(const Color& color) {
    return {static_cast<int>(std::lround(color.red() * 255)),
            static_cast<int>(std::lround(color.green() * 255)),
            static_cast<int>(std::lround(color.blue() * 255))};
}

inline bool near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

} // namespace aerolune::test
