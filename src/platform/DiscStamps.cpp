#include "platform/DiscStamps.h"

#include "platform/LayerPainter.h"
#include "platform/OverBlend.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

// How many shapes of distinct geometry are remembered; stars of random sizes
// would otherwise grow the list without end.
constexpr std::size_t maskLimit = 32;

// Every channel of a packed 0xAARRGGBB pixel times a / 255, rounded as Cairo's
// pixel arithmetic rounds it, two channels per multiplication.
inline std::uint32_t multiply(std::uint32_t pixel, std::uint32_t a) {
    std::uint32_t rb = (pixel & 0xff00ff) * a + 0x800080;
    rb = ((rb + ((rb >> 8) & 0xff00ff)) >> 8) & 0xff00ff;
    std::uint32_t ag = ((pixel >> 8) & 0xff00ff) * a + 0x800080;
    ag = (ag + ((ag >> 8) & 0xff00ff)) & 0xff00ff00;
    return rb | ag;
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
    auto channel = [a](double component) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(component, 0.0, 1.0) * a * 255));
    };
    // The colour premultiplied by its alpha, packed like the image's pixels.
    const std::uint32_t source = static_cast<std::uint32_t>(std::lround(a * 255)) << 24 |
                                 channel(color.red()) << 16 | channel(color.green()) << 8 |
                                 channel(color.blue());

    const int imageWidth = cairo_image_surface_get_width(target);
    const int imageHeight = cairo_image_surface_get_height(target);
    const int stride = cairo_image_surface_get_stride(target);
    unsigned char* data = cairo_image_surface_get_data(target);
    const int x0 = static_cast<int>(left), y0 = static_cast<int>(top);
    const int firstColumn = std::max(0, -x0);
    const int endColumn = std::min(mask.columns, imageWidth - x0);
    // Source IN coverage, a row at a time, then OVER what is there.
    covered_.resize(static_cast<std::size_t>(std::max(0, endColumn - firstColumn)));
    for (int row = std::max(0, -y0); row < mask.rows && y0 + row < imageHeight; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(data + (y0 + row) * stride) + x0;
        const std::uint8_t* coverage = mask.coverage.data() + row * mask.columns;
        for (int column = firstColumn; column < endColumn; ++column) {
            const std::uint32_t m = coverage[column];
            covered_[static_cast<std::size_t>(column - firstColumn)] = m == 255 ? source
                                                                       : m == 0
                                                                           ? 0
                                                                           : multiply(source, m);
        }
        blendOverRow(pixels + firstColumn, covered_.data(), endColumn - firstColumn);
    }
}

} // namespace aerolune
