#include "platform/render/RoundShape.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

double snapped(double value, double steps) {
    return std::round(value * steps) / steps;
}

// Moves, perhaps flips, and scales alike both ways (to device pixels).
bool movesOnly(const cairo_matrix_t& m) {
    return m.xx > 0 && std::abs(m.yy) == m.xx && m.xy == 0 && m.yx == 0;
}

} // namespace

std::optional<RoundShape> RoundShape::of(const Layer& layer, const cairo_matrix_t& matrix) {
    if (!movesOnly(matrix))
        return std::nullopt;
    const double scale = matrix.xx;
    const Size size{layer.bounds().size.width * scale, layer.bounds().size.height * scale};
    const double radius = layer.cornerRadius() * scale;
    if (!(radius > 0) || !layer.sublayers().empty() ||
        !(size.width > 0 && size.width <= maximumSide) ||
        !(size.height > 0 && size.height <= maximumSide) || !layer.showsBackgroundOnly())
        return std::nullopt;
    // Moved and perhaps flipped: the top-left corner is the origin's image, or
    // the image of the top edge's left end.
    const Rect exact(matrix.x0, matrix.yy > 0 ? matrix.y0 : matrix.y0 - size.height, size.width,
                     size.height);
    if (!std::isfinite(exact.minX()) || !std::isfinite(exact.minY()))
        return std::nullopt;
    // Never thinner than one step: a shape that is there shows.
    const double width = std::max(snapped(exact.width(), sizeSteps), 1 / sizeSteps);
    const double height = std::max(snapped(exact.height(), sizeSteps), 1 / sizeSteps);
    // A full round end (a disc, a capsule) stays one on the grid.
    const double half = std::min(size.width, size.height) / 2;
    const double shownRadius = radius >= half
                                   ? std::min(width, height) / 2
                                   : std::min({snapped(radius, sizeSteps), width / 2, height / 2});
    return RoundShape{
        Rect(snapped(exact.minX(), placeSteps), snapped(exact.minY(), placeSteps), width, height),
        shownRadius};
}

} // namespace aerolune
