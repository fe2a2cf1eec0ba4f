#include "platform/DiscStamps.h"

#include "platform/LayerPainter.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

// How many shapes of distinct geometry are remembered; stars of random sizes
// would otherwise grow the list without end.
constexpr std::size_t maskLimit = 32;

// x * y / 255, rounded as Cairo's pixel arithmetic rounds it.
inline std::uint32_t multiply(std::uint32_t x, std::uint32_t y) {
    const std::uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

} // namespace

const DiscStamps::Mask& DiscStamps::maskFor(double width, double height, double radius,
                                            double phaseX, double phaseY) {
    for (const auto& mask : masks_)
        if (mask.width == width && mask.height == height && mask.radius == radius &&
            mask.phaseX == phaseX && mask.phaseY == phaseY)
            return mask;
    if (masks_.size() >= maskLimit)
        masks_.clear();
    Mask mask{width, height, radius, phaseX, phaseY, 0, 0, {}};
    mask.columns = static_cast<int>(std::ceil(phaseX + width));
    mask.rows = static_cast<int>(std::ceil(phaseY + height));
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_A8, mask.columns, mask.rows));
    {
        CairoContext cr(cairo_create(surface.get()));
        LayerPainter::roundedRectangle(cr.get(), phaseX, phaseY, width, height, radius);
        cairo_fill(cr.get());
    }
    cairo_surface_flush(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    mask.coverage.resize(static_cast<std::size_t>(mask.columns) * mask.rows);
    for (int row = 0; row < mask.rows; ++row)
        std::copy_n(data + row * stride, mask.columns, mask.coverage.begin() + row * mask.columns);
    masks_.push_back(std::move(mask));
    return masks_.back();
}

void DiscStamps::fill(cairo_surface_t* target, double x, double y, double width, double height,
                      double radius, const Color& color, double alpha) {
    const double a = std::clamp(color.alpha() * alpha, 0.0, 1.0);
    if (a <= 0 || width <= 0 || height <= 0)
        return;
    const double left = std::floor(x), top = std::floor(y);
    const Mask& mask = maskFor(width, height, radius, x - left, y - top);
    auto premultiplied = [a](double component) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(component, 0.0, 1.0) * a * 255));
    };
    const std::uint32_t sa = static_cast<std::uint32_t>(std::lround(a * 255));
    const std::uint32_t sr = premultiplied(color.red()), sg = premultiplied(color.green()),
                        sb = premultiplied(color.blue());

    const int imageWidth = cairo_image_surface_get_width(target);
    const int imageHeight = cairo_image_surface_get_height(target);
    const int stride = cairo_image_surface_get_stride(target);
    unsigned char* data = cairo_image_surface_get_data(target);
    const int x0 = static_cast<int>(left), y0 = static_cast<int>(top);
    for (int row = std::max(0, -y0); row < mask.rows && y0 + row < imageHeight; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(data + (y0 + row) * stride);
        const std::uint8_t* coverage = mask.coverage.data() + row * mask.columns;
        for (int column = std::max(0, -x0); column < mask.columns && x0 + column < imageWidth;
             ++column) {
            const std::uint32_t m = coverage[column];
            if (m == 0)
                continue;
            const std::uint32_t ca = multiply(sa, m), inverse = 255 - ca;
            std::uint32_t& pixel = pixels[x0 + column];
            const std::uint32_t da = pixel >> 24, dr = (pixel >> 16) & 255, dg = (pixel >> 8) & 255,
                                db = pixel & 255;
            pixel = (ca + multiply(da, inverse)) << 24 |
                    (multiply(sr, m) + multiply(dr, inverse)) << 16 |
                    (multiply(sg, m) + multiply(dg, inverse)) << 8 |
                    (multiply(sb, m) + multiply(db, inverse));
        }
    }
}

} // namespace aerolune
