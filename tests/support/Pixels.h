#pragma once

// Reading pictures back, for tests that check them by their properties: the
// compositor's image, a PNG file the program wrote, or a screenshot. Rows are
// counted from the top, as in the image; pointAt() counts them from the
// bottom, as the views do.

#include "platform/core/Color.h"

#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace aerolune::test {

struct Rgb {
    int r = 0, g = 0, b = 0;
    int sum() const { return r + g + b; }
    bool operator==(const Rgb&) const = default;
};

inline bool near(const Rgb& a, const Rgb& b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

inline std::string describe(const Rgb& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

// The 8-bit value of a colour drawn opaquely.
inline Rgb rgbOf(const Color& color) {
    const auto byte = [](double value) { return static_cast<int>(std::lround(value * 255)); };
    return {byte(color.red()), byte(color.green()), byte(color.blue())};
}

class Pixels {
public:
    // Borrows an image that outlives this reader.
    explicit Pixels(cairo_surface_t* image) : image_(cairo_surface_reference(image)) {
        cairo_surface_flush(image_);
    }
    // Reads a PNG file; valid() says whether that worked.
    static Pixels fromPng(const std::string& path) {
        cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
        Pixels pixels(image);
        cairo_surface_destroy(image);
        return pixels;
    }
    Pixels(const Pixels& other) : image_(cairo_surface_reference(other.image_)) {}
    Pixels& operator=(const Pixels&) = delete;
    ~Pixels() { cairo_surface_destroy(image_); }

    bool valid() const {
        return cairo_surface_status(image_) == CAIRO_STATUS_SUCCESS &&
               cairo_surface_get_type(image_) == CAIRO_SURFACE_TYPE_IMAGE;
    }
    int width() const { return cairo_image_surface_get_width(image_); }
    int height() const { return cairo_image_surface_get_height(image_); }

    // The pixel in column x, row y from the top.
    Rgb at(int x, int y) const {
        const auto* row =
            cairo_image_surface_get_data(image_) + y * cairo_image_surface_get_stride(image_);
        std::uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        return {int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
    }
    // The pixel at (x, y) with y counted up from the bottom row.
    Rgb pointAt(int x, int y) const { return at(x, height() - 1 - y); }

    // How many pixels of the rectangle satisfy `test`.
    template <typename Test> int count(int x, int y, int w, int h, Test test) const {
        int n = 0;
        for (int row = y; row < y + h; ++row)
            for (int column = x; column < x + w; ++column)
                n += test(at(column, row)) ? 1 : 0;
        return n;
    }

private:
    cairo_surface_t* image_;
};

// The inset of the saver's sky window in a picture of `width` x `height`
// points at `scale` pixels a point: a fifth of their geometric mean, rounded
// to whole points.
inline int skyInset(int width, int height, int scale = 1) {
    return scale * int(std::lround(0.2 * std::sqrt(double(width) * height)));
}

// Whether the picture shows the night sky inset by `inset` pixels with a
// backdrop of another colour around it; `seen` says what it shows there.
inline bool showsNightSkyInset(const Pixels& shot, int inset, std::string& seen) {
    const Rgb night{19, 24, 98};
    const int w = shot.width(), h = shot.height();
    const Rgb inside = shot.at(inset + 1, h / 2), outside = shot.at(inset - 2, h / 2);
    seen = describe(inside) + " " + describe(outside);
    return near(inside, night) && near(shot.at(w / 2, inset + 2), night) &&
           !near(outside, night, 8) && near(outside, shot.at(1, h - 2), 12);
}

} // namespace aerolune::test
