#include "platform/render/DeviceGeometry.h"

#include <algorithm>
#include <cmath>

namespace aerolune {

Rect transformedBox(const cairo_matrix_t& m, const Rect& rect) {
    if (rect.isNull())
        return rect;
    double xs[4] = {rect.minX(), rect.maxX(), rect.minX(), rect.maxX()};
    double ys[4] = {rect.minY(), rect.minY(), rect.maxY(), rect.maxY()};
    for (int i = 0; i < 4; ++i)
        cairo_matrix_transform_point(&m, &xs[i], &ys[i]);
    const auto [x0, x1] = std::minmax_element(xs, xs + 4);
    const auto [y0, y1] = std::minmax_element(ys, ys + 4);
    return Rect(*x0, *y0, *x1 - *x0, *y1 - *y0);
}

cairo_matrix_t viewMatrix(double x, double y, double scale, int height) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, scale, 0, 0, -scale, scale * x, height - scale * y);
    return matrix;
}

cairo_rectangle_int_t pixelsCovering(const Rect& rect) {
    const double x0 = std::floor(rect.minX() + 1e-7), y0 = std::floor(rect.minY() + 1e-7);
    const double x1 = std::ceil(rect.maxX() - 1e-7), y1 = std::ceil(rect.maxY() - 1e-7);
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

} // namespace aerolune
