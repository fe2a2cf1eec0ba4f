#include "platform/render/LayerPicture.h"

#include "platform/render/Compositor.h"
#include "platform/render/DeviceGeometry.h"
#include "platform/render/DirectFill.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/UnitByte.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

// Whole pixels below a number of steps.
long floorDivide(long count, int steps) {
    return count >= 0 ? count / steps : -((-count + steps - 1) / steps);
}

int shiftKey(const LayerPicture::Placement& placement, int steps) {
    return placement.shiftY * steps + placement.shiftX;
}

// The subtree's extent in the layer's own coordinates; sublayers are not clipped.
Rect subtreeBox(const Layer& layer) {
    Rect box = layer.bounds();
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    for (const auto& sublayer : layer.sublayers())
        box = box.united(
            transformedBox(Compositor::layerMatrix(*sublayer, identity), subtreeBox(*sublayer)));
    return box;
}

void paintSubtree(cairo_t* cr, Layer& layer, const cairo_matrix_t& matrix, bool isRoot,
                  cairo_surface_t* directImage, double now, LayerPainter& painter) {
    // The root's own opacity and place are applied when the picture is composited.
    const double opacity = isRoot ? 1.0 : Compositor::shownOpacity(layer, now) / 255.0;
    if ((!isRoot && layer.isHidden()) || opacity <= 0)
        return;
    const cairo_matrix_t local = isRoot ? matrix : Compositor::layerMatrix(layer, matrix);
    const bool group = opacity < 1 && !layer.sublayers().empty();
    if (group)
        cairo_push_group(cr);
    cairo_set_matrix(cr, &local);
    painter.paint(cr, layer, group ? 1.0 : opacity, Compositor::shownColors(layer, now),
                  {group ? nullptr : directImage, nullptr, {}, nullptr});
    for (const auto& sublayer : layer.sublayers())
        paintSubtree(cr, *sublayer, local, false, group ? nullptr : directImage, now, painter);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_identity_matrix(cr);
        cairo_paint_with_alpha(cr, opacity);
    }
}

bool sameBytes(const Color& a, const Color& b) {
    return unitByte(a.red()) == unitByte(b.red()) && unitByte(a.green()) == unitByte(b.green()) &&
           unitByte(a.blue()) == unitByte(b.blue());
}

// Whether every layer of the subtree paints one colour, at whatever opacity,
// in the bytes it shows as (left in `color`), and nothing but a plain colour.
bool paintsOneColor(const Layer& layer, double now, std::optional<Color>& color) {
    if (layer.paintsContent() || Compositor::shownColors(layer, now).size() >= 2)
        return false;
    const Color& own = layer.backgroundColor();
    if (own.alpha() > 0) {
        if (color && !sameBytes(*color, own))
            return false;
        color = Color(own.red(), own.green(), own.blue());
    }
    return std::all_of(layer.sublayers().begin(), layer.sublayers().end(),
                       [&](const auto& sublayer) { return paintsOneColor(*sublayer, now, color); });
}

// The alpha of a premultiplied picture of one colour: all there is to it.
CairoSurface coverageOf(cairo_surface_t* picture) {
    const int w = cairo_image_surface_get_width(picture);
    const int h = cairo_image_surface_get_height(picture);
    CairoSurface coverage(cairo_image_surface_create(CAIRO_FORMAT_A8, w, h));
    if (cairo_surface_status(coverage.get()) != CAIRO_STATUS_SUCCESS)
        return {};
    cairo_surface_flush(picture);
    cairo_surface_flush(coverage.get());
    for (int row = 0; row < h; ++row) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(picture) + row * cairo_image_surface_get_stride(picture));
        unsigned char* to = cairo_image_surface_get_data(coverage.get()) +
                            row * cairo_image_surface_get_stride(coverage.get());
        for (int x = 0; x < w; ++x)
            to[x] = static_cast<unsigned char>(from[x] >> 24);
    }
    cairo_surface_mark_dirty(coverage.get());
    return coverage;
}

} // namespace

std::optional<LayerPicture> LayerPicture::rasterise(Layer& layer, double now, LayerPainter& painter,
                                                    double scale) {
    const Rect box = subtreeBox(layer);
    const cairo_rectangle_int_t pixels = pixelsCovering(
        Rect(box.minX() * scale, box.minY() * scale, box.width() * scale, box.height() * scale));
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > maximumSide ||
        pixels.height > maximumSide)
        return std::nullopt;
    CairoSurface picture(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels.width, pixels.height));
    if (cairo_surface_status(picture.get()) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    // Local coordinates (y up) to the picture's pixels (y down from its top).
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, scale, 0, 0, -scale, -pixels.x, pixels.y + pixels.height);
    {
        CairoContext cr(cairo_create(picture.get()));
        cairo_surface_flush(picture.get());
        paintSubtree(cr.get(), layer, matrix, true, picture.get(), now, painter);
    }
    cairo_surface_mark_dirty(picture.get());
    const Rect where(pixels.x, pixels.y, pixels.width, pixels.height);
    std::optional<Color> color;
    if (paintsOneColor(layer, now, color) && color)
        if (CairoSurface coverage = coverageOf(picture.get()))
            return LayerPicture(std::move(coverage), where, scale, color);
    return LayerPicture(std::move(picture), where, scale);
}

bool LayerPicture::Placement::samePlace(const Placement& other) const {
    if (onGrid != other.onGrid)
        return false;
    if (onGrid)
        return x == other.x && y == other.y && shiftX == other.shiftX && shiftY == other.shiftY;
    const cairo_matrix_t& a = matrix;
    const cairo_matrix_t& b = other.matrix;
    return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 &&
           a.y0 == b.y0;
}

LayerPicture::LayerPicture(CairoSurface image, const Rect& box, double scale,
                           std::optional<Color> coverageColor)
    : image_(std::move(image)), box_(box), scale_(scale), steps_(stepsAt(scale)),
      coverageColor_(coverageColor) {}

int LayerPicture::stepsAt(double scale) {
    return scale > 0 ? std::max(1, static_cast<int>(std::ceil(2 / scale - 1e-9))) : 2;
}

LayerPicture::Placement LayerPicture::place(const cairo_matrix_t& local) const {
    Placement placement;
    // Moved only, at the picture's scale: its pixels are device pixels, as
    // they are, without the rounding a product of scales could bring.
    placement.onGrid = local.xx == scale_ && local.yy == -scale_ && local.xy == 0 && local.yx == 0;
    if (!placement.onGrid) {
        // Picture pixels (y down from the top of the box) to local coordinates, then on.
        cairo_matrix_t toLocal;
        cairo_matrix_init(&toLocal, 1 / scale_, 0, 0, -1 / scale_, box_.minX() / scale_,
                          box_.maxY() / scale_);
        cairo_matrix_multiply(&placement.matrix, &toLocal, &local);
        placement.box = transformedBox(placement.matrix, Rect(0, 0, box_.width(), box_.height()));
        return placement;
    }
    cairo_matrix_init_translate(&placement.matrix, local.x0 + box_.minX(), local.y0 - box_.maxY());
    const cairo_matrix_t& m = placement.matrix;
    const long stepsX = std::lround(m.x0 * steps_), stepsY = std::lround(m.y0 * steps_);
    const long x = floorDivide(stepsX, steps_), y = floorDivide(stepsY, steps_);
    placement.x = static_cast<int>(x);
    placement.y = static_cast<int>(y);
    placement.shiftX = static_cast<int>(stepsX - x * steps_);
    placement.shiftY = static_cast<int>(stepsY - y * steps_);
    // A shifted copy spreads into one more column and row.
    const double grow = placement.shiftX || placement.shiftY ? 1 : 0;
    placement.box = Rect(x, y, box_.width() + grow, box_.height() + grow);
    return placement;
}

bool LayerPicture::drawnLately(std::uint64_t lastDrawn, std::uint64_t frame) {
    return lastDrawn != 0 && lastDrawn + framesKept >= frame;
}

void LayerPicture::forget(int shiftY, std::uint64_t frame) {
    const auto otherRow = [shiftY, this](int key) { return key / steps_ != shiftY; };
    std::erase_if(shifted_, [&](const Shifted& copy) {
        return otherRow(copy.key) || !drawnLately(copy.lastDrawn, frame);
    });
}

LayerPicture::Shifted* LayerPicture::findShifted(int key) {
    for (auto& copy : shifted_)
        if (copy.key == key)
            return &copy;
    return nullptr;
}

CairoSurface LayerPicture::makeShifted(const Placement& placement) const {
    const int w = cairo_image_surface_get_width(image_.get());
    const int h = cairo_image_surface_get_height(image_.get());
    CairoSurface surface(
        cairo_image_surface_create(cairo_image_surface_get_format(image_.get()), w + 1, h + 1));
    CairoContext cr(cairo_create(surface.get()));
    cairo_set_source_surface(cr.get(), image_.get(), static_cast<double>(placement.shiftX) / steps_,
                             static_cast<double>(placement.shiftY) / steps_);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_BILINEAR);
    cairo_paint(cr.get());
    return surface;
}

cairo_surface_t* LayerPicture::shifted(const Placement& placement, std::uint64_t frame) {
    const int key = shiftKey(placement, steps_);
    if (key == 0) {
        imageLastDrawn_ = frame;
        return image_.get();
    }
    forget(placement.shiftY, frame);
    if (Shifted* copy = findShifted(key)) {
        copy->lastDrawn = frame;
        return copy->surface.get();
    }
    shifted_.push_back({key, makeShifted(placement), frame});
    return shifted_.back().surface.get();
}

} // namespace aerolune
