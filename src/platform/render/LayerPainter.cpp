#include "platform/render/LayerPainter.h"

#include "platform/render/DeviceGeometry.h"
#include "platform/render/DirectFill.h"
#include "platform/render/TextPainter.h"
#include "platform/view/LayerContentPainter.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

// Whether a matrix moves, flips and scales alike both ways only.
bool isTranslation(const cairo_matrix_t& m) {
    return m.xx > 0 && std::abs(std::abs(m.yy) - m.xx) < 1e-12 && std::abs(m.xy) < 1e-12 &&
           std::abs(m.yx) < 1e-12;
}

// Content of a layer's own, painted through Cairo where the layer lies.
class CairoContentPainter final : public LayerContentPainter {
public:
    explicit CairoContentPainter(cairo_t* cr) : cr_(cr) {}
    void paintText(const TextLayer& layer, double alpha) override {
        TextPainter::paint(cr_, layer, alpha);
    }

private:
    cairo_t* cr_;
};

} // namespace

void LayerPainter::roundedRectangle(cairo_t* cr, double x, double y, double width, double height,
                                    double radius) {
    radius = std::min({radius, width / 2, height / 2});
    if (!(radius > 0)) {
        cairo_rectangle(cr, x, y, width, height);
        return;
    }
    constexpr double quarter = M_PI / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -quarter, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, quarter);
    cairo_arc(cr, x + radius, y + height - radius, radius, quarter, 2 * quarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(cr);
}

void LayerPainter::paint(cairo_t* cr, const Layer& layer, double alpha,
                         const std::vector<Color>& gradientColors, const DirectAccess& direct) {
    const Size size = layer.bounds().size;
    if (!(size.width > 0 && size.height > 0) || !(alpha > 0))
        return;
    paintBackground(cr, layer, alpha, direct);
    if (gradientColors.size() >= 2)
        paintGradient(cr, size, gradientColors, alpha, direct);
    if (layer.paintsContent()) {
        direct.prepareCairo();
        CairoContentPainter content(cr);
        layer.paintContent(content, alpha);
    }
}

void LayerPainter::paintShape(cairo_t* cr, const RoundShape& shape, const Color& color,
                              double alpha, const DirectAccess& direct) {
    if (!(color.alpha() > 0) || !(alpha > 0))
        return;
    const Rect& box = shape.box;
    if (!direct.image) {
        direct.prepareCairo();
        cairo_save(cr);
        cairo_identity_matrix(cr);
        roundedRectangle(cr, box.minX(), box.minY(), box.width(), box.height(), shape.radius);
        cairo_set_source_rgba(cr, color.red(), color.green(), color.blue(), color.alpha() * alpha);
        cairo_fill(cr);
        cairo_restore(cr);
        return;
    }
    const auto stamp = [&](const cairo_rectangle_int_t* clip) {
        stamps_.fill(direct.image, box.minX(), box.minY(), box.width(), box.height(), shape.radius,
                     color, alpha, clip);
    };
    const cairo_rectangle_int_t pixels = pixelsCovering(box);
    const auto overlap = direct.allowed ? cairo_region_contains_rectangle(direct.allowed, &pixels)
                                        : CAIRO_REGION_OVERLAP_IN;
    if (overlap == CAIRO_REGION_OVERLAP_IN) {
        stamp(&pixels);
    } else if (overlap == CAIRO_REGION_OVERLAP_PART) {
        CairoRegion part(cairo_region_copy(direct.allowed));
        cairo_region_intersect_rectangle(part.get(), &pixels);
        for (int i = 0, count = cairo_region_num_rectangles(part.get()); i < count; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(part.get(), i, &r);
            stamp(&r);
        }
    }
    cairo_surface_mark_dirty_rectangle(direct.image, pixels.x, pixels.y, pixels.width,
                                       pixels.height);
}

void LayerPainter::paintBackground(cairo_t* cr, const Layer& layer, double alpha,
                                   const DirectAccess& direct) {
    const Color& color = layer.backgroundColor();
    if (!(color.alpha() > 0))
        return;
    const Size size = layer.bounds().size;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    // Many small round shapes straight into an image: blend a shared coverage.
    if (direct.image && !direct.allowed && layer.cornerRadius() > 0 && isTranslation(m)) {
        const double scale = m.xx;
        double x = 0, y = size.height;
        cairo_matrix_transform_point(&m, &x, &y);
        if (m.yy > 0)
            y -= size.height * scale;
        stamps_.fill(direct.image, x, y, size.width * scale, size.height * scale,
                     layer.cornerRadius() * scale, color, alpha);
        cairo_surface_mark_dirty(direct.image);
        return;
    }
    if (direct.image && direct.allowed && alpha >= 1 && !(layer.cornerRadius() > 0) &&
        fillSolidDirect(direct.image, direct.allowed, m, size, color))
        return;
    direct.prepareCairo();
    roundedRectangle(cr, 0, 0, size.width, size.height, layer.cornerRadius());
    cairo_set_source_rgba(cr, color.red(), color.green(), color.blue(), color.alpha() * alpha);
    cairo_fill(cr);
}

void LayerPainter::paintGradient(cairo_t* cr, Size size, const std::vector<Color>& colors,
                                 double alpha, const DirectAccess& direct) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (direct.image && alpha >= 1) {
        cairo_region_t* everything = nullptr;
        if (!direct.allowed) {
            const cairo_rectangle_int_t all{0, 0, cairo_image_surface_get_width(direct.image),
                                            cairo_image_surface_get_height(direct.image)};
            everything = cairo_region_create_rectangle(&all);
        }
        const cairo_region_t* allowed = direct.allowed ? direct.allowed : everything;
        const bool done = direct.ramp && isRampOf(*direct.ramp, m, size)
                              ? (fillGradientDirect(direct.image, allowed, *direct.ramp), true)
                              : fillGradientDirect(direct.image, allowed, m, size, colors);
        if (everything)
            cairo_region_destroy(everything);
        if (done)
            return;
    }
    direct.prepareCairo();
    // The axis from (0.5, 0) to (0.5, 1) of the unit square, stops evenly spaced.
    cairo_pattern_t* pattern =
        cairo_pattern_create_linear(size.width / 2, 0, size.width / 2, size.height);
    const double last = static_cast<double>(colors.size() - 1);
    for (std::size_t i = 0; i < colors.size(); ++i)
        cairo_pattern_add_color_stop_rgba(pattern, static_cast<double>(i) / last, colors[i].red(),
                                          colors[i].green(), colors[i].blue(),
                                          colors[i].alpha() * alpha);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_rectangle(cr, 0, 0, size.width, size.height);
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

} // namespace aerolune
