#include "platform/GradientFill.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace aerolune {
namespace {

bool isWhole(double value) {
    return std::abs(value - std::round(value)) < 1e-9;
}
bool isUnit(double value) {
    return std::abs(std::abs(value) - 1) < 1e-12;
}
bool isZero(double value) {
    return std::abs(value) < 1e-12;
}

std::uint32_t opaquePixel(const Color& color) {
    auto channel = [](double c) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
    };
    return 0xff000000u | channel(color.red()) << 16 | channel(color.green()) << 8 |
           channel(color.blue());
}

} // namespace

Color gradientColorAt(const std::vector<Color>& colors, double t) {
    if (colors.empty())
        return {};
    if (colors.size() == 1)
        return colors.front();
    const double position = std::clamp(t, 0.0, 1.0) * static_cast<double>(colors.size() - 1);
    const auto index = std::min(static_cast<std::size_t>(position), colors.size() - 2);
    return colors[index].interpolated(colors[index + 1], position - static_cast<double>(index));
}

bool fillGradientDirect(cairo_surface_t* image, const cairo_region_t* allowed,
                        const cairo_matrix_t& m, Size size, const std::vector<Color>& colors) {
    if (colors.size() < 2 || !(size.width > 0 && size.height > 0))
        return false;
    for (const auto& color : colors)
        if (color.alpha() < 1)
            return false;
    // Only quarter turns at one pixel per point: the axis runs along rows or columns.
    const bool straight = isUnit(m.xx) && isUnit(m.yy) && isZero(m.xy) && isZero(m.yx);
    const bool turned = isZero(m.xx) && isZero(m.yy) && isUnit(m.xy) && isUnit(m.yx);
    if (!straight && !turned)
        return false;
    double x0 = 0, y0 = 0, x1 = size.width, y1 = size.height;
    cairo_matrix_transform_point(&m, &x0, &y0);
    cairo_matrix_transform_point(&m, &x1, &y1);
    if (!isWhole(x0) || !isWhole(y0) || !isWhole(x1) || !isWhole(y1))
        return false;
    cairo_rectangle_int_t bounds{static_cast<int>(std::lround(std::min(x0, x1))),
                                 static_cast<int>(std::lround(std::min(y0, y1))),
                                 static_cast<int>(std::lround(std::abs(x1 - x0))),
                                 static_cast<int>(std::lround(std::abs(y1 - y0)))};
    cairo_region_t* area = cairo_region_create_rectangle(&bounds);
    cairo_region_intersect(area, allowed);
    const cairo_rectangle_int_t imageBounds{0, 0, cairo_image_surface_get_width(image),
                                            cairo_image_surface_get_height(image)};
    cairo_region_intersect_rectangle(area, &imageBounds);

    cairo_matrix_t inverse = m;
    cairo_matrix_invert(&inverse);
    // Local y at a pixel centre depends on the row when straight, on the column when turned.
    auto colorAt = [&](double px, double py) {
        double lx = px + 0.5, ly = py + 0.5;
        cairo_matrix_transform_point(&inverse, &lx, &ly);
        return opaquePixel(gradientColorAt(colors, ly / size.height));
    };
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    std::vector<std::uint32_t> line;
    for (int i = 0, n = cairo_region_num_rectangles(area); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(area, i, &r);
        if (turned) {
            line.resize(static_cast<std::size_t>(r.width));
            for (int column = 0; column < r.width; ++column)
                line[static_cast<std::size_t>(column)] = colorAt(r.x + column, r.y);
        }
        for (int row = r.y; row < r.y + r.height; ++row) {
            auto* pixels = reinterpret_cast<std::uint32_t*>(data + row * stride) + r.x;
            if (turned)
                std::copy(line.begin(), line.end(), pixels);
            else
                std::fill_n(pixels, r.width, colorAt(r.x, row));
        }
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
    cairo_region_destroy(area);
    return true;
}

} // namespace aerolune
