#include "platform/render/DirectFill.h"

#include "platform/render/CairoHandles.h"
#include "platform/render/OverBlend.h"
#include "platform/render/UnitByte.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <pixman.h>

namespace aerolune {
namespace {

bool isWhole(double value) {
    return std::abs(value - std::round(value)) < 1e-9;
}
bool isZero(double value) {
    return std::abs(value) < 1e-12;
}

} // namespace

std::uint32_t opaquePixel(const Color& color) {
    return 0xff000000u | unitByte(color.red()) << 16 | unitByte(color.green()) << 8 |
           unitByte(color.blue());
}

std::optional<cairo_rectangle_int_t> alignedPixels(const cairo_matrix_t& m, Size size) {
    // At any scale: the corners below must land on whole pixels all the same.
    const bool straight = !isZero(m.xx) && !isZero(m.yy) && isZero(m.xy) && isZero(m.yx);
    const bool turned = isZero(m.xx) && isZero(m.yy) && !isZero(m.xy) && !isZero(m.yx);
    if ((!straight && !turned) || !(size.width > 0 && size.height > 0))
        return std::nullopt;
    double x0 = 0, y0 = 0, x1 = size.width, y1 = size.height;
    cairo_matrix_transform_point(&m, &x0, &y0);
    cairo_matrix_transform_point(&m, &x1, &y1);
    if (!isWhole(x0) || !isWhole(y0) || !isWhole(x1) || !isWhole(y1))
        return std::nullopt;
    return cairo_rectangle_int_t{static_cast<int>(std::lround(std::min(x0, x1))),
                                 static_cast<int>(std::lround(std::min(y0, y1))),
                                 static_cast<int>(std::lround(std::abs(x1 - x0))),
                                 static_cast<int>(std::lround(std::abs(y1 - y0)))};
}

CairoRegion boxesWithin(cairo_surface_t* image, const cairo_region_t* allowed,
                        const cairo_rectangle_int_t& bounds) {
    CairoRegion area(cairo_region_create_rectangle(&bounds));
    cairo_region_intersect(area.get(), allowed);
    const cairo_rectangle_int_t imageBounds{0, 0, cairo_image_surface_get_width(image),
                                            cairo_image_surface_get_height(image)};
    cairo_region_intersect_rectangle(area.get(), &imageBounds);
    return area;
}

int gatherBand(const cairo_region_t* region, int first, std::vector<cairo_rectangle_int_t>& band) {
    band.clear();
    const int n = cairo_region_num_rectangles(region);
    for (int i = first; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        if (!band.empty() && r.y != band.front().y)
            return i;
        band.push_back(r);
    }
    return n;
}

namespace {

// Writes `picture`, its top-left corner at device (x, y), into `image` inside
// `boxes`, one row piece at a time: write(to, from, count) in 32-bit pixels.
template <typename RowWriter>
void writePictureRows(cairo_surface_t* image, const cairo_region_t* boxes, cairo_surface_t* picture,
                      int x, int y, RowWriter write) {
    cairo_surface_flush(image);
    cairo_surface_flush(picture);
    unsigned char* to = cairo_image_surface_get_data(image);
    const unsigned char* from = cairo_image_surface_get_data(picture);
    const int toStride = cairo_image_surface_get_stride(image);
    const int fromStride = cairo_image_surface_get_stride(picture);
    for (int i = 0, n = cairo_region_num_rectangles(boxes); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(boxes, i, &r);
        for (int row = r.y; row < r.y + r.height; ++row)
            write(reinterpret_cast<std::uint32_t*>(to + row * toStride) + r.x,
                  reinterpret_cast<const std::uint32_t*>(from + (row - y) * fromStride) + (r.x - x),
                  r.width);
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

pixman_image_t* wrap(cairo_surface_t* image) {
    return pixman_image_create_bits(
        PIXMAN_a8r8g8b8, cairo_image_surface_get_width(image),
        cairo_image_surface_get_height(image),
        reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image)),
        cairo_image_surface_get_stride(image));
}

} // namespace

bool fillSolidDirect(cairo_surface_t* image, const cairo_region_t* allowed, const cairo_matrix_t& m,
                     Size size, const Color& color) {
    if (color.alpha() < 1)
        return false;
    const auto bounds = alignedPixels(m, size);
    if (!bounds)
        return false;
    const CairoRegion area = boxesWithin(image, allowed, *bounds);
    cairo_surface_flush(image);
    auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image));
    const int stride = cairo_image_surface_get_stride(image) / 4;
    const std::uint32_t pixel = opaquePixel(color);
    for (int i = 0, n = cairo_region_num_rectangles(area.get()); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(area.get(), i, &r);
        pixman_fill(data, stride, 32, r.x, r.y, r.width, r.height, pixel);
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
    return true;
}

bool compositePictureDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                            cairo_surface_t* picture, int x, int y, double alpha) {
    if (alpha < 1)
        return false;
    const cairo_rectangle_int_t bounds{x, y, cairo_image_surface_get_width(picture),
                                       cairo_image_surface_get_height(picture)};
    const CairoRegion area = boxesWithin(image, allowed, bounds);
    const int n = cairo_region_num_rectangles(area.get());
    if (n == 0)
        return true;
    if (hasFastBlendOver()) {
        writePictureRows(image, area.get(), picture, x, y, blendOverRow);
        return true;
    }
    cairo_surface_flush(image);
    cairo_surface_flush(picture);
    pixman_image_t* destination = wrap(image);
    pixman_image_t* source = wrap(picture);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(area.get(), i, &r);
        pixman_image_composite32(PIXMAN_OP_OVER, source, nullptr, destination, r.x - x, r.y - y, 0,
                                 0, r.x, r.y, r.width, r.height);
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
    pixman_image_unref(source);
    pixman_image_unref(destination);
    return true;
}

void fillRegionDirect(cairo_surface_t* image, const cairo_region_t* area, const Color& color) {
    const int n = cairo_region_num_rectangles(area);
    if (n == 0)
        return;
    cairo_surface_flush(image);
    auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image));
    const int stride = cairo_image_surface_get_stride(image) / 4;
    const std::uint32_t pixel = opaquePixel(color);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(area, i, &r);
        pixman_fill(data, stride, 32, r.x, r.y, r.width, r.height, pixel);
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

Color gradientColorAt(const std::vector<Color>& colors, double t) {
    if (colors.empty())
        return {};
    if (colors.size() == 1)
        return colors.front();
    const double position = std::clamp(t, 0.0, 1.0) * static_cast<double>(colors.size() - 1);
    const auto index = std::min(static_cast<std::size_t>(position), colors.size() - 2);
    return colors[index].interpolated(colors[index + 1], position - static_cast<double>(index));
}

std::optional<GradientRamp> gradientRamp(const cairo_matrix_t& m, Size size,
                                         const std::vector<Color>& colors) {
    if (colors.size() < 2)
        return std::nullopt;
    for (const auto& color : colors)
        if (color.alpha() < 1)
            return std::nullopt;
    const auto bounds = alignedPixels(m, size);
    if (!bounds)
        return std::nullopt;
    GradientRamp ramp{*bounds, isZero(m.xx), {}};
    cairo_matrix_t inverse = m;
    cairo_matrix_invert(&inverse);
    // Local y at a pixel centre depends on the row when straight, on the column when turned.
    const int count = ramp.alongColumns ? bounds->width : bounds->height;
    ramp.pixels.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        double lx = (ramp.alongColumns ? bounds->x + i : bounds->x) + 0.5;
        double ly = (ramp.alongColumns ? bounds->y : bounds->y + i) + 0.5;
        cairo_matrix_transform_point(&inverse, &lx, &ly);
        ramp.pixels[static_cast<std::size_t>(i)] =
            opaquePixel(gradientColorAt(colors, ly / size.height));
    }
    return ramp;
}

bool isRampOf(const GradientRamp& ramp, const cairo_matrix_t& m, Size size) {
    const auto bounds = alignedPixels(m, size);
    return bounds && bounds->x == ramp.bounds.x && bounds->y == ramp.bounds.y &&
           bounds->width == ramp.bounds.width && bounds->height == ramp.bounds.height &&
           ramp.alongColumns == isZero(m.xx);
}

bool fillGradientDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                        const cairo_matrix_t& m, Size size, const std::vector<Color>& colors) {
    const auto ramp = gradientRamp(m, size, colors);
    if (!ramp)
        return false;
    fillGradientDirect(image, allowed, *ramp);
    return true;
}

namespace {

// Columns of one colour each, a band of the area's rectangles (those that
// share their rows) at a time, row by row across the band: the columns whose
// colour moved a level are many and thin, and written one after the other
// each would fetch the band's every row again from memory.
void fillColumnsDirect(unsigned char* data, int stride, const cairo_region_t* area,
                       const GradientRamp& ramp) {
    std::vector<cairo_rectangle_int_t> band;
    for (int i = 0, n = cairo_region_num_rectangles(area); i < n;) {
        i = gatherBand(area, i, band);
        const cairo_rectangle_int_t& first = band.front();
        for (int row = first.y; row < first.y + first.height; ++row) {
            auto* line = reinterpret_cast<std::uint32_t*>(data + std::size_t(row) * stride);
            for (const cairo_rectangle_int_t& r : band)
                std::memcpy(line + r.x, ramp.pixels.data() + (r.x - ramp.bounds.x),
                            static_cast<std::size_t>(r.width) * 4);
        }
    }
}

} // namespace

void fillGradientDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                        const GradientRamp& ramp) {
    const CairoRegion regionWithin = boxesWithin(image, allowed, ramp.bounds);
    cairo_region_t* area = regionWithin.get();
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto colorAt = [&](int line) { return ramp.pixels[static_cast<std::size_t>(line)]; };
    if (ramp.alongColumns) {
        fillColumnsDirect(data, stride, area, ramp);
        cairo_rectangle_int_t extents;
        cairo_region_get_extents(area, &extents);
        return cairo_surface_mark_dirty_rectangle(image, extents.x, extents.y, extents.width,
                                                  extents.height);
    }
    for (int i = 0, n = cairo_region_num_rectangles(area); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(area, i, &r);
        // Rows of one colour come in runs (a few hundred colours over a
        // thousand rows): one fill per run.
        const int first = r.y - ramp.bounds.y;
        int runStart = first;
        std::uint32_t runColor = colorAt(first);
        for (int line = first + 1; line <= first + r.height; ++line) {
            const std::uint32_t color = line < first + r.height ? colorAt(line) : ~runColor;
            if (color == runColor)
                continue;
            pixman_fill(reinterpret_cast<std::uint32_t*>(data), stride / 4, 32, r.x,
                        ramp.bounds.y + runStart, r.width, line - runStart, runColor);
            runStart = line;
            runColor = color;
        }
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

} // namespace aerolune
