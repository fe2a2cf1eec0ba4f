#include "platform/render/LayerPicture.h"

#include "platform/render/Compositor.h"
#include "platform/render/DeviceGeometry.h"
#include "platform/render/DirectFill.h"
#include "platform/render/LayerPainter.h"

#include <cmath>

namespace aerolune {
namespace {

// Whole pixels below a number of steps.
long floorDivide(long count) {
    return count >= 0 ? count / LayerPicture::steps
                      : -((-count + LayerPicture::steps - 1) / LayerPicture::steps);
}

int shiftKey(const LayerPicture::Placement& placement) {
    return placement.shiftY * LayerPicture::steps + placement.shiftX;
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
    return LayerPicture(std::move(picture), Rect(pixels.x, pixels.y, pixels.width, pixels.height),
                        scale);
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

LayerPicture::LayerPicture(CairoSurface image, const Rect& box, double scale)
    : image_(std::move(image)), box_(box), scale_(scale) {}

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
    const long stepsX = std::lround(m.x0 * steps), stepsY = std::lround(m.y0 * steps);
    const long x = floorDivide(stepsX), y = floorDivide(stepsY);
    placement.x = static_cast<int>(x);
    placement.y = static_cast<int>(y);
    placement.shiftX = static_cast<int>(stepsX - x * steps);
    placement.shiftY = static_cast<int>(stepsY - y * steps);
    // A shifted copy spreads into one more column and row.
    const double grow = placement.shiftX || placement.shiftY ? 1 : 0;
    placement.box = Rect(x, y, box_.width() + grow, box_.height() + grow);
    return placement;
}

bool LayerPicture::drawnLately(std::uint64_t lastDrawn, std::uint64_t frame) {
    return lastDrawn != 0 && lastDrawn + framesKept >= frame;
}

void LayerPicture::forget(int shiftY, std::uint64_t frame) {
    const auto otherRow = [shiftY](int key) { return key / steps != shiftY; };
    std::erase_if(shifted_, [&](const Shifted& copy) {
        return otherRow(copy.key) || !drawnLately(copy.lastDrawn, frame);
    });
    std::erase_if(flattened_, [&](const auto& copy) { return otherRow(std::get<0>(copy)); });
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
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w + 1, h + 1));
    CairoContext cr(cairo_create(surface.get()));
    cairo_set_source_surface(cr.get(), image_.get(), static_cast<double>(placement.shiftX) / steps,
                             static_cast<double>(placement.shiftY) / steps);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_BILINEAR);
    cairo_paint(cr.get());
    return surface;
}

cairo_surface_t* LayerPicture::shifted(const Placement& placement, std::uint64_t frame) {
    const int key = shiftKey(placement);
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

LayerPicture::OverPlain LayerPicture::overPlain(const Placement& placement, const Color& background,
                                                std::uint64_t frame) {
    const int key = shiftKey(placement);
    forget(placement.shiftY, frame);
    const Shifted* copy = key == 0 ? nullptr : findShifted(key);
    if (copy || (key == 0 && drawnLately(imageLastDrawn_, frame))) {
        std::erase_if(flattened_, [key](const auto& made) { return std::get<0>(made) == key; });
        return {copy ? copy->surface.get() : image_.get(), false};
    }
    for (const auto& [shift, color, surface] : flattened_)
        if (shift == key && color == background)
            return {surface.get(), true};
    // A few background colours at most; a changing one starts afresh.
    if (flattened_.size() >= 2 * steps)
        flattened_.clear();
    const CairoSurface made = key == 0 ? CairoSurface() : makeShifted(placement);
    flattened_.emplace_back(key, background,
                            flattenPicture(key == 0 ? image_.get() : made.get(), background));
    return {std::get<2>(flattened_.back()).get(), true};
}

} // namespace aerolune
