#include "platform/render/DiscStamps.h"

#include "platform/render/LayerPainter.h"
#include "platform/render/OverBlend.h"
#include "platform/render/UnitByte.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace aerolune {
namespace {

// How many shapes of distinct geometry are remembered. Shapes on a grid (the
// stars) need a few hundred; shapes of any size and phase would otherwise grow
// the table without end.
constexpr std::size_t maskLimit = 2048;

} // namespace

std::size_t DiscStamps::KeyHash::operator()(const Key& key) const {
    // Values on a grid differ only in their high bits; mix those into the low
    // ones the table picks buckets by (the finaliser of SplitMix64).
    std::uint64_t hash = 0;
    for (const double value : {key.width, key.height, key.radius, key.phaseX, key.phaseY}) {
        hash ^= std::bit_cast<std::uint64_t>(value) + 0x9e3779b97f4a7c15ull;
        hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ull;
        hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebull;
        hash ^= hash >> 31;
    }
    return static_cast<std::size_t>(hash);
}

const DiscStamps::Mask& DiscStamps::maskFor(const Key& key) {
    if (const auto found = masks_.find(key); found != masks_.end())
        return found->second;
    if (masks_.size() >= maskLimit)
        masks_.clear();
    Mask mask{static_cast<int>(std::ceil(key.phaseX + key.width)),
              static_cast<int>(std::ceil(key.phaseY + key.height)),
              {}};
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_A8, mask.columns, mask.rows));
    {
        CairoContext cr(cairo_create(surface.get()));
        LayerPainter::roundedRectangle(cr.get(), key.phaseX, key.phaseY, key.width, key.height,
                                       key.radius);
        cairo_fill(cr.get());
    }
    cairo_surface_flush(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    mask.coverage.resize(static_cast<std::size_t>(mask.columns) * mask.rows);
    for (int row = 0; row < mask.rows; ++row)
        std::copy_n(data + row * stride, mask.columns, mask.coverage.begin() + row * mask.columns);
    return masks_.emplace(key, std::move(mask)).first->second;
}

void DiscStamps::fill(cairo_surface_t* target, double x, double y, double width, double height,
                      double radius, const Color& color, double alpha,
                      const cairo_rectangle_int_t* clip) {
    const double a = std::clamp(color.alpha() * alpha, 0.0, 1.0);
    if (a <= 0 || width <= 0 || height <= 0)
        return;
    const double left = std::floor(x), top = std::floor(y);
    const Mask& mask = maskFor({width, height, radius, x - left, y - top});
    auto channel = [a](double component) { return unitByte(std::clamp(component, 0.0, 1.0) * a); };
    // The colour premultiplied by its alpha, packed like the image's pixels.
    const std::uint32_t source = unitByte(a) << 24 | channel(color.red()) << 16 |
                                 channel(color.green()) << 8 | channel(color.blue());

    int clipLeft = 0, clipTop = 0;
    int clipRight = cairo_image_surface_get_width(target);
    int clipBottom = cairo_image_surface_get_height(target);
    if (clip) {
        clipLeft = std::max(clipLeft, clip->x);
        clipTop = std::max(clipTop, clip->y);
        clipRight = std::min(clipRight, clip->x + clip->width);
        clipBottom = std::min(clipBottom, clip->y + clip->height);
    }
    const int stride = cairo_image_surface_get_stride(target);
    unsigned char* data = cairo_image_surface_get_data(target);
    const int x0 = static_cast<int>(left), y0 = static_cast<int>(top);
    const int firstColumn = std::max(0, clipLeft - x0);
    const int endColumn = std::min(mask.columns, clipRight - x0);
    if (endColumn <= firstColumn)
        return;
    // Source IN coverage, a row at a time, then OVER what is there.
    covered_.resize(static_cast<std::size_t>(endColumn - firstColumn));
    const int endRow = std::min(mask.rows, clipBottom - y0);
    for (int row = std::max(0, clipTop - y0); row < endRow; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(data + (y0 + row) * stride) + x0;
        const std::uint8_t* coverage = mask.coverage.data() + row * mask.columns;
        for (int column = firstColumn; column < endColumn; ++column) {
            const std::uint32_t m = coverage[column];
            covered_[static_cast<std::size_t>(column - firstColumn)] =
                m == 255 ? source
                : m == 0 ? 0
                         : multiplyPixel(source, m);
        }
        blendOverRow(pixels + firstColumn, covered_.data(), endColumn - firstColumn);
    }
}

} // namespace aerolune
