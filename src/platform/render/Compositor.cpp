#include "platform/render/Compositor.h"

#include "platform/render/UnitByte.h"
#include "platform/render/UploadBoxes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace aerolune {
namespace {

int quantize(double value) {
    return static_cast<int>(unitByte(value));
}

double component(double value) {
    return quantize(value) / 255.0;
}

} // namespace

// One pass over all the pieces: adding them one by one to a region costs the
// square of their number, and a night sky has hundreds.
CairoRegion regionOf(const std::vector<PixelRect>& rects) {
    std::vector<cairo_rectangle_int_t> boxes;
    boxes.reserve(rects.size());
    for (const auto& r : rects)
        boxes.push_back({r.x, r.y, r.width, r.height});
    return CairoRegion(cairo_region_create_rectangles(boxes.data(), int(boxes.size())));
}

std::vector<PixelRect> rectsOf(const cairo_region_t* region) {
    std::vector<PixelRect> rects(static_cast<std::size_t>(cairo_region_num_rectangles(region)));
    for (std::size_t i = 0; i < rects.size(); ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, static_cast<int>(i), &r);
        rects[i] = {r.x, r.y, r.width, r.height};
    }
    return rects;
}

Compositor::Compositor()
    : owner_(RenderState::newOwner()), walk_(owner_, painter_), drawing_(owner_, painter_) {}

Compositor::~Compositor() = default;

int Compositor::shownOpacity(Layer& layer, double now) {
    if (layer.changes() & Layer::animated)
        layer.removeEndedAnimations(now);
    return layer.isHidden() ? 0 : quantize(layer.presentationOpacity(now));
}

std::vector<Color> Compositor::shownColors(const Layer& layer, double now) {
    std::vector<Color> shown = layer.presentationColors(now);
    for (auto& c : shown)
        c = Color(component(c.red()), component(c.green()), component(c.blue()),
                  component(c.alpha()));
    return shown;
}

cairo_matrix_t Compositor::layerMatrix(const Layer& layer, const cairo_matrix_t& parent) {
    cairo_matrix_t local;
    const Rect frame = layer.frame();
    if (layer.transform().isIdentity()) {
        cairo_matrix_init_translate(&local, frame.minX(), frame.minY());
    } else {
        const Size size = layer.bounds().size;
        const Point centre = frame.center();
        cairo_matrix_init_translate(&local, centre.x, centre.y);
        cairo_matrix_rotate(&local, layer.transform().angle());
        cairo_matrix_translate(&local, -size.width / 2, -size.height / 2);
    }
    cairo_matrix_t result;
    cairo_matrix_multiply(&result, &local, &parent);
    return result;
}

int Compositor::width() const {
    return image_ ? cairo_image_surface_get_width(image_.get()) : 0;
}

int Compositor::height() const {
    return image_ ? cairo_image_surface_get_height(image_.get()) : 0;
}

void Compositor::setTarget(unsigned char* data, int width, int height, int stride,
                           bool holdsLastFrame) {
    const bool sameSize = image_ && this->width() == width && this->height() == height;
    if (data) {
        image_.reset(
            cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, stride));
        ownsMemory_ = false;
    } else {
        image_.reset();
        ownsMemory_ = true;
    }
    fullRedraw_ = fullRedraw_ || !data || !holdsLastFrame || !sameSize;
}

void Compositor::setScale(double scale) {
    if (!(scale > 0) || scale == scale_)
        return;
    scale_ = scale;
    fullRedraw_ = true;
}

PixelRect Compositor::imageBounds(const View& root) const {
    return {0, 0, std::max(0, static_cast<int>(std::lround(root.frame().width() * scale_))),
            std::max(0, static_cast<int>(std::lround(root.frame().height() * scale_)))};
}

void Compositor::ensureImage(const View& root) {
    if (!ownsMemory_ && image_)
        return;
    const PixelRect bounds = imageBounds(root);
    if (image_ && width() == bounds.width && height() == bounds.height)
        return;
    image_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bounds.width, bounds.height));
    fullRedraw_ = true;
}

std::vector<PixelRect> Compositor::render(View& root, double now,
                                          const std::function<void()>& beforeDrawing,
                                          const std::vector<PixelRect>& stale,
                                          const unsigned char* lastFrame) {
    ensureImage(root);
    const auto& damaged = walk_.walk(root, now, width(), height(), scale_);
    CairoRegion damage(
        cairo_region_create_rectangles(damaged.data(), static_cast<int>(damaged.size())));
    if (fullRedraw_) {
        const cairo_rectangle_int_t all{0, 0, width(), height()};
        cairo_region_union_rectangle(damage.get(), &all);
        fullRedraw_ = false;
    }
    std::vector<PixelRect> redrawn = rectsOf(damage.get());
    // Stale pieces are copied where this frame does not draw them, or drawn.
    CairoRegion copied(regionOf(stale));
    if (lastFrame) {
        cairo_region_subtract(copied.get(), damage.get());
    } else {
        cairo_region_union(damage.get(), copied.get());
        copied.reset(cairo_region_create());
    }
    if (cairo_region_is_empty(damage.get()) && cairo_region_is_empty(copied.get()))
        return redrawn;
    if (beforeDrawing)
        beforeDrawing();
    if (!cairo_region_is_empty(copied.get()))
        copyFrom(lastFrame, copied.get());
    if (!cairo_region_is_empty(damage.get()))
        drawing_.draw(root, image_.get(), damage.get(), scale_);
    cairo_surface_flush(image_.get());
    return redrawn;
}

// Pieces of the last frame as memory of the image's layout holds them. Outside
// the stale pieces this image already holds the last frame, so they are
// copied bridged, row by row across each band.
void Compositor::copyFrom(const unsigned char* lastFrame, const cairo_region_t* pieces) {
    cairo_surface_flush(image_.get());
    unsigned char* data = cairo_image_surface_get_data(image_.get());
    const int stride = cairo_image_surface_get_stride(image_.get());
    for (const PixelRect& r : bridged(rectsOf(pieces))) {
        const std::size_t offset = static_cast<std::size_t>(r.y) * stride + std::size_t(r.x) * 4;
        for (int row = 0; row < r.height; ++row)
            std::memcpy(data + offset + std::size_t(row) * stride,
                        lastFrame + offset + std::size_t(row) * stride, std::size_t(r.width) * 4);
        cairo_surface_mark_dirty_rectangle(image_.get(), r.x, r.y, r.width, r.height);
    }
}

} // namespace aerolune
