#include "platform/render/Compositor.h"

#include "platform/render/DeviceGeometry.h"
#include "platform/render/DirectFill.h"
#include "platform/render/RoundShape.h"
#include "platform/view/GradientLayer.h"
#include "platform/view/TextLayer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

namespace aerolune {

struct Compositor::NodeState final : RenderState {
    explicit NodeState(std::uint64_t owner) : owner(owner) { cairo_matrix_init_identity(&parent); }

    std::uint64_t owner;
    bool fresh = true;
    // Device box of what the node and its subtree drew last (for a view: its
    // visible rectangle), and the matrix its parent had then.
    Rect drawn = Rect::null();
    cairo_matrix_t parent;
    // What animations showed when last drawn, rounded as the screen rounds.
    int opacity8 = -1;
    std::vector<Color> colors;
    // A rasterised copy of the subtree, and where it was put last.
    std::optional<LayerPicture> picture;
    std::optional<LayerPicture::Placement> placed;
    // For a small round shape: where it was drawn, and in which colour.
    std::optional<RoundShape> shape;
    Color shapeColor;
};

namespace {

// A subtree gets a picture of its own from this many layers on. The choice
// depends on the tree alone, never on its history, so that a subtree is always
// drawn the same way and a partial redraw matches a full one.
constexpr int pictureMinimumLayers = 16;
constexpr double pictureMaximumSide = 4096;

std::uint64_t nextCompositorId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

int quantize(double value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

double component(double value) {
    return quantize(value) / 255.0;
}

std::vector<Color> quantized(const std::vector<Color>& colors) {
    std::vector<Color> shown;
    shown.reserve(colors.size());
    for (const auto& c : colors)
        shown.emplace_back(component(c.red()), component(c.green()), component(c.blue()),
                           component(c.alpha()));
    return shown;
}

std::vector<Color> shownColors(const Layer& layer, double now) {
    if (const auto* gradient = dynamic_cast<const GradientLayer*>(&layer))
        return quantized(gradient->presentationColors(now));
    return {};
}

int shownOpacity(Layer& layer, double now) {
    if (layer.changes() & Layer::animated)
        layer.removeEndedAnimations(now);
    return layer.isHidden() ? 0 : quantize(layer.presentationOpacity(now));
}

bool isFinite(const cairo_matrix_t& m) {
    return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) &&
           std::isfinite(m.yy) && std::isfinite(m.x0) && std::isfinite(m.y0);
}

bool sameMatrix(const cairo_matrix_t& a, const cairo_matrix_t& b) {
    return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 &&
           a.y0 == b.y0;
}

// From a layer's local coordinates to its parent's: to its place, turned about its centre.
cairo_matrix_t layerMatrix(const Layer& layer, const cairo_matrix_t& parent) {
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

bool hasAtLeast(const Layer& layer, int count) {
    int seen = 0;
    auto visit = [&seen, count](const Layer& node, auto& self) -> bool {
        for (const auto& sublayer : node.sublayers()) {
            if (++seen >= count || self(*sublayer, self))
                return true;
        }
        return false;
    };
    return visit(layer, visit);
}

// The subtree's extent in the layer's own coordinates; sublayers are not clipped.
Rect subtreeBox(const Layer& layer) {
    Rect box = layer.bounds();
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    for (const auto& sublayer : layer.sublayers())
        box = box.united(transformedBox(layerMatrix(*sublayer, identity), subtreeBox(*sublayer)));
    return box;
}

} // namespace

Compositor::Compositor() : id_(nextCompositorId()), damage_(cairo_region_create()) {}

Compositor::~Compositor() = default;

int Compositor::width() const {
    return image_ ? cairo_image_surface_get_width(image_.get()) : 0;
}

int Compositor::height() const {
    return image_ ? cairo_image_surface_get_height(image_.get()) : 0;
}

void Compositor::setTarget(unsigned char* data, int width, int height, int stride) {
    if (data) {
        image_.reset(
            cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, stride));
        ownsMemory_ = false;
    } else {
        image_.reset();
        ownsMemory_ = true;
    }
    fullRedraw_ = true;
}

void Compositor::ensureImage(const View& root) {
    if (!ownsMemory_ && image_)
        return;
    const int w = std::max(0, static_cast<int>(std::lround(root.frame().width())));
    const int h = std::max(0, static_cast<int>(std::lround(root.frame().height())));
    if (image_ && width() == w && height() == h)
        return;
    image_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    fullRedraw_ = true;
}

Compositor::NodeState* Compositor::existingState(const RenderState* state) const {
    auto* node = const_cast<NodeState*>(dynamic_cast<const NodeState*>(state));
    return node && node->owner == id_ ? node : nullptr;
}

Compositor::NodeState& Compositor::stateOf(View& view) {
    if (auto* state = existingState(view.renderState()))
        return *state;
    auto state = std::make_unique<NodeState>(id_);
    auto& result = *state;
    view.setRenderState(std::move(state));
    return result;
}

Compositor::NodeState& Compositor::stateOf(Layer& layer) {
    if (auto* state = existingState(layer.renderState()))
        return *state;
    auto state = std::make_unique<NodeState>(id_);
    auto& result = *state;
    layer.setRenderState(std::move(state));
    return result;
}

std::vector<PixelRect> Compositor::render(View& root, double now) {
    now_ = now;
    ensureImage(root);
    damaged_.clear();
    clip_ = Rect(0, 0, width(), height());
    updateView(root, 0, 0, true);
    settle(root);
    // One pass over all the pieces: adding them one by one to a region costs
    // the square of their number, and a night sky damages hundreds.
    damage_.reset(
        cairo_region_create_rectangles(damaged_.data(), static_cast<int>(damaged_.size())));
    if (fullRedraw_) {
        const cairo_rectangle_int_t all{0, 0, width(), height()};
        cairo_region_union_rectangle(damage_.get(), &all);
        fullRedraw_ = false;
    }
    std::vector<PixelRect> redrawn;
    const int count = cairo_region_num_rectangles(damage_.get());
    if (count == 0)
        return redrawn;

    CairoContext cr(cairo_create(image_.get()));
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(damage_.get(), i, &r);
        cairo_rectangle(cr.get(), r.x, r.y, r.width, r.height);
        redrawn.push_back({r.x, r.y, r.width, r.height});
    }
    cairo_clip(cr.get());
    // The damage starts black, unless the first thing drawn covers it opaquely.
    clearPending_ = true;
    clip_ = Rect(0, 0, width(), height());
    drawView(cr.get(), root, 0, 0, true);
    clearIfPending(cr.get());
    materialise(nullptr);
    flat_.reset();
    writable_.reset();
    cairo_surface_flush(image_.get());
    return redrawn;
}

void Compositor::damage(const Rect& deviceRect) {
    const Rect visible = deviceRect.intersection(clip_);
    if (visible.isNull() || visible.isEmpty())
        return;
    damaged_.push_back(pixelsCovering(visible));
}

void Compositor::updateView(View& view, double x, double y, bool isRoot) {
    NodeState& state = stateOf(view);
    const Rect frame = view.frame();
    const double vx = isRoot ? 0 : x + frame.minX(), vy = isRoot ? 0 : y + frame.minY();
    const Rect device(vx, height() - vy - frame.height(), frame.width(), frame.height());
    const Rect visible = device.intersection(clip_);

    Layer* layer = view.layer();
    const int opacity = layer ? shownOpacity(*layer, now_) : 255;
    std::vector<Color> colors = layer ? shownColors(*layer, now_) : std::vector<Color>{};
    const std::uint8_t ownChanges =
        layer ? layer->changes() &
                    (Layer::placementChanged | Layer::contentChanged | Layer::sublayersChanged)
              : 0;
    const bool appearance =
        state.fresh || ownChanges ||
        (view.changes() &
         (View::placementChanged | View::contentChanged | View::subviewsChanged)) ||
        opacity != state.opacity8 || visible != state.drawn || colors != state.colors;
    if (appearance) {
        damage(state.drawn);
        damage(visible);
    }

    const Rect parentClip = clip_;
    clip_ = opacity == 0 ? Rect::null() : visible;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, 1, 0, 0, -1, vx, height() - vy);
    if (layer)
        for (const auto& sublayer : layer->sublayers())
            updateLayer(*sublayer, matrix);
    for (const auto& subview : view.subviews())
        updateView(*subview, vx, vy, false);
    clip_ = parentClip;

    state.fresh = false;
    state.drawn = visible;
    state.opacity8 = opacity;
    state.colors = std::move(colors);
}

Rect Compositor::updateLayer(Layer& layer, const cairo_matrix_t& parent) {
    NodeState& state = stateOf(layer);
    const std::uint8_t changes = layer.changes();
    if (!state.fresh && changes == 0 && sameMatrix(state.parent, parent))
        return state.drawn;

    const int opacity = shownOpacity(layer, now_);
    std::vector<Color> colors = shownColors(layer, now_);
    const bool colorsChanged = colors != state.colors;
    bool appearance =
        state.fresh || colorsChanged || opacity != state.opacity8 ||
        !sameMatrix(state.parent, parent) ||
        (changes & (Layer::placementChanged | Layer::contentChanged | Layer::sublayersChanged));
    const cairo_matrix_t local = layerMatrix(layer, parent);
    state.colors = std::move(colors);
    bool rebuilt = false;
    Rect box;
    const auto shape = isFinite(local) ? RoundShape::of(layer, local) : std::nullopt;
    if (!shape)
        state.shape.reset();
    if (!isFinite(local)) {
        // Nowhere on the screen (a view given the null rectangle): nothing to draw.
        box = Rect::null();
        state.placed.reset();
    } else if (shape) {
        // Judged by where it shows on the grid, not by where it lies.
        appearance = state.fresh || state.picture || opacity != state.opacity8 || !state.shape ||
                     *shape != *state.shape || layer.backgroundColor() != state.shapeColor;
        state.picture.reset();
        state.placed.reset();
        box = shape->box;
        state.shape = shape;
        state.shapeColor = layer.backgroundColor();
    } else if (usePicture(layer, state, colorsChanged ? changes | Layer::contentChanged : changes,
                          rebuilt)) {
        // A move that lands on the same half pixel shows the same pixels.
        const LayerPicture::Placement placement = state.picture->place(local);
        box = placement.box;
        appearance = state.fresh || rebuilt || colorsChanged || opacity != state.opacity8 ||
                     (changes & (Layer::contentChanged | Layer::sublayersChanged)) ||
                     !state.placed || !placement.samePlace(*state.placed);
        state.placed = placement;
    } else {
        state.placed.reset();
        box = transformedBox(local, layer.bounds());
        for (const auto& sublayer : layer.sublayers())
            box = box.united(updateLayer(*sublayer, local));
    }
    if (appearance) {
        damage(state.drawn);
        damage(box);
    }
    state.fresh = false;
    state.drawn = box;
    state.parent = parent;
    state.opacity8 = opacity;
    return box;
}

bool Compositor::usePicture(Layer& layer, NodeState& state, std::uint8_t changes, bool& rebuilt) {
    const bool inside =
        changes & (Layer::contentChanged | Layer::sublayersChanged | Layer::descendantChanged);
    if (state.picture && !inside)
        return true;
    if (state.picture) {
        state.picture.reset();
        rebuilt = true; // the old picture's place must be redrawn either way
    }
    if (!hasAtLeast(layer, pictureMinimumLayers) || !rasterisePicture(layer, state))
        return false;
    rebuilt = true;
    return true;
}

bool Compositor::rasterisePicture(Layer& layer, NodeState& state) {
    const cairo_rectangle_int_t pixels = pixelsCovering(subtreeBox(layer));
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > pictureMaximumSide ||
        pixels.height > pictureMaximumSide)
        return false;
    CairoSurface picture(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels.width, pixels.height));
    if (cairo_surface_status(picture.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    // Local coordinates (y up) to the picture's pixels (y down from its top).
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, 1, 0, 0, -1, -pixels.x, pixels.y + pixels.height);
    {
        CairoContext cr(cairo_create(picture.get()));
        cairo_surface_flush(picture.get());
        paintSubtree(cr.get(), layer, matrix, true, picture.get());
    }
    cairo_surface_mark_dirty(picture.get());
    state.picture.emplace(std::move(picture),
                          Rect(pixels.x, pixels.y, pixels.width, pixels.height));
    ++picturesRasterised_;
    return true;
}

void Compositor::paintSubtree(cairo_t* cr, Layer& layer, const cairo_matrix_t& matrix, bool isRoot,
                              cairo_surface_t* directImage) {
    // The root's own opacity and place are applied when the picture is composited.
    const double opacity = isRoot ? 1.0 : shownOpacity(layer, now_) / 255.0;
    if ((!isRoot && layer.isHidden()) || opacity <= 0)
        return;
    const cairo_matrix_t local = isRoot ? matrix : layerMatrix(layer, matrix);
    const bool group = opacity < 1 && !layer.sublayers().empty();
    if (group)
        cairo_push_group(cr);
    cairo_set_matrix(cr, &local);
    painter_.paint(cr, layer, group ? 1.0 : opacity, shownColors(layer, now_),
                   {group ? nullptr : directImage, nullptr});
    for (const auto& sublayer : layer.sublayers())
        paintSubtree(cr, *sublayer, local, false, group ? nullptr : directImage);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_identity_matrix(cr);
        cairo_paint_with_alpha(cr, opacity);
    }
}

void Compositor::settle(View& view) {
    view.settleChanges();
    auto settleLayers = [](View& node, auto& self) -> void {
        if (Layer* layer = node.layer())
            layer->settleChanges();
        for (const auto& subview : node.subviews())
            self(*subview, self);
    };
    settleLayers(view, settleLayers);
}

void Compositor::clearIfPending(cairo_t* cr) {
    if (!clearPending_)
        return;
    clearPending_ = false;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void Compositor::beforePainting(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                                double alpha) {
    if (!clearPending_ || paintsNothing(layer, colors))
        return;
    if (groupDepth_ > 0 || alpha < 1 || !coversDamage(cr, layer, colors))
        clearIfPending(cr);
    clearPending_ = false;
}

void Compositor::paintLayer(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                            double alpha) {
    beforePainting(cr, layer, colors, alpha);
    if (paintsNothing(layer, colors))
        return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (deferFill(layer, colors, alpha, m))
        return;
    const Rect box = transformedBox(m, layer.bounds());
    materialise(&box);
    painter_.paint(cr, layer, alpha, colors, directAccess());
}

void Compositor::paintShape(cairo_t* cr, const Layer& layer, const RoundShape& shape,
                            double alpha) {
    beforePainting(cr, layer, {}, alpha);
    if (paintsNothing(layer, {}))
        return;
    // All of the deferred fill at once: cutting it around each of hundreds of
    // small shapes costs more than the fill itself.
    if (flat_) {
        const cairo_rectangle_int_t pixels = pixelsCovering(shape.box);
        if (cairo_region_contains_rectangle(flat_.get(), &pixels) != CAIRO_REGION_OVERLAP_OUT)
            materialise(nullptr);
    }
    painter_.paintShape(cr, shape, layer.backgroundColor(), alpha, directAccess());
}

bool Compositor::deferFill(const Layer& layer, const std::vector<Color>& colors, double alpha,
                           const cairo_matrix_t& m) {
    const Color& color = layer.backgroundColor();
    if (groupDepth_ > 0 || !writable_ || alpha < 1 || colors.size() >= 2 || color.alpha() < 1 ||
        layer.cornerRadius() > 0 || dynamic_cast<const TextLayer*>(&layer))
        return false;
    const auto pixels = alignedPixels(m, layer.bounds().size);
    if (!pixels)
        return false;
    materialise(nullptr);
    flat_.reset(cairo_region_copy(writable_.get()));
    cairo_region_intersect_rectangle(flat_.get(), &*pixels);
    flatColor_ = color;
    return true;
}

void Compositor::materialise(const Rect* deviceBox) {
    if (!flat_ || cairo_region_is_empty(flat_.get()))
        return;
    CairoRegion part(cairo_region_copy(flat_.get()));
    if (deviceBox) {
        if (deviceBox->isNull() || deviceBox->isEmpty())
            return;
        const cairo_rectangle_int_t pixels = pixelsCovering(*deviceBox);
        cairo_region_intersect_rectangle(part.get(), &pixels);
    }
    fillRegionDirect(image_.get(), part.get(), flatColor_);
    cairo_region_subtract(flat_.get(), part.get());
}

bool Compositor::coversDamage(cairo_t* cr, const Layer& layer,
                              const std::vector<Color>& colors) const {
    const bool gradient = colors.size() >= 2;
    if (gradient) {
        for (const auto& color : colors)
            if (color.alpha() < 1)
                return false;
    } else if (layer.backgroundColor().alpha() < 1 || layer.cornerRadius() > 0) {
        return false;
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    // Only whole pixels: a partly covered edge pixel would still show the black
    // beneath. A layer turned by a quarter lies on them up to rounding noise.
    const auto aligned = alignedPixels(m, layer.bounds().size);
    if (!aligned)
        return false;
    const Rect device =
        Rect(aligned->x, aligned->y, aligned->width, aligned->height).intersection(clip_);
    const cairo_rectangle_int_t pixels = pixelsCovering(device);
    if (device.isNull() || pixels.x != device.minX() || pixels.y != device.minY() ||
        pixels.width != device.width() || pixels.height != device.height())
        return false;
    return cairo_region_contains_rectangle(damage_.get(), &pixels) == CAIRO_REGION_OVERLAP_IN ||
           [&] {
               cairo_rectangle_int_t extents;
               cairo_region_get_extents(damage_.get(), &extents);
               return extents.x >= pixels.x && extents.y >= pixels.y &&
                      extents.x + extents.width <= pixels.x + pixels.width &&
                      extents.y + extents.height <= pixels.y + pixels.height;
           }();
}

bool Compositor::paintsNothing(const Layer& layer, const std::vector<Color>& colors) {
    return colors.size() < 2 && !(layer.backgroundColor().alpha() > 0) &&
           !dynamic_cast<const TextLayer*>(&layer);
}

bool Compositor::isDamaged(const Rect& deviceRect) const {
    if (deviceRect.isNull() || deviceRect.isEmpty())
        return false;
    const cairo_rectangle_int_t pixels = pixelsCovering(deviceRect);
    return cairo_region_contains_rectangle(damage_.get(), &pixels) != CAIRO_REGION_OVERLAP_OUT;
}

void Compositor::pushGroup(cairo_t* cr) {
    clearIfPending(cr);
    materialise(nullptr);
    cairo_push_group(cr);
    ++groupDepth_;
}

void Compositor::popGroup(cairo_t* cr, double opacity) {
    --groupDepth_;
    cairo_pop_group_to_source(cr);
    cairo_identity_matrix(cr);
    cairo_paint_with_alpha(cr, opacity);
}

LayerPainter::DirectAccess Compositor::directAccess() const {
    // Inside a group, drawing goes to the group's surface, not to the image.
    if (groupDepth_ > 0 || !writable_)
        return {};
    return {image_.get(), writable_.get()};
}

void Compositor::drawView(cairo_t* cr, View& view, double x, double y, bool isRoot) {
    NodeState& state = stateOf(view);
    if (state.opacity8 <= 0 || !isDamaged(state.drawn))
        return;
    const Rect frame = view.frame();
    const double vx = isRoot ? 0 : x + frame.minX(), vy = isRoot ? 0 : y + frame.minY();
    const double opacity = state.opacity8 / 255.0;
    const bool group = opacity < 1;

    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, state.drawn.minX(), state.drawn.minY(), state.drawn.width(),
                    state.drawn.height());
    cairo_clip(cr);
    const Rect parentClip = clip_;
    clip_ = state.drawn;
    CairoRegion parentWritable = std::move(writable_);
    const cairo_rectangle_int_t visible = pixelsCovering(state.drawn);
    writable_.reset(cairo_region_copy(damage_.get()));
    cairo_region_intersect_rectangle(writable_.get(), &visible);
    if (group)
        pushGroup(cr);

    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, 1, 0, 0, -1, vx, height() - vy);
    if (Layer* layer = view.layer()) {
        cairo_set_matrix(cr, &matrix);
        paintLayer(cr, *layer, state.colors, 1.0);
        for (const auto& sublayer : layer->sublayers())
            drawLayer(cr, *sublayer, matrix);
    }
    for (const auto& subview : view.subviews())
        drawView(cr, *subview, vx, vy, false);

    if (group)
        popGroup(cr, opacity);
    writable_ = std::move(parentWritable);
    clip_ = parentClip;
    cairo_restore(cr);
}

void Compositor::drawLayer(cairo_t* cr, Layer& layer, const cairo_matrix_t& parent) {
    NodeState& state = stateOf(layer);
    if (state.opacity8 <= 0 || !isDamaged(state.drawn))
        return;
    const cairo_matrix_t local = layerMatrix(layer, parent);
    const double opacity = state.opacity8 / 255.0;
    if (state.picture) {
        clearIfPending(cr);
        drawPicture(cr, *state.picture, local, opacity);
        return;
    }
    if (state.shape) {
        paintShape(cr, layer, *state.shape, opacity);
        return;
    }
    const bool group = opacity < 1 && !layer.sublayers().empty();
    if (group)
        pushGroup(cr);
    cairo_set_matrix(cr, &local);
    paintLayer(cr, layer, state.colors, group ? 1.0 : opacity);
    for (const auto& sublayer : layer.sublayers())
        drawLayer(cr, *sublayer, local);
    if (group)
        popGroup(cr, opacity);
}

void Compositor::compositeOnGrid(LayerPicture& picture, const LayerPicture::Placement& placement) {
    cairo_surface_t* image = picture.shifted(placement);
    const cairo_rectangle_int_t bounds{placement.x, placement.y,
                                       cairo_image_surface_get_width(image),
                                       cairo_image_surface_get_height(image)};
    // Where only the deferred plain fill lies beneath: copy the picture as
    // composited over that colour, and leave those pixels filled.
    CairoRegion onFlat(flat_ ? cairo_region_copy(flat_.get()) : cairo_region_create());
    cairo_region_intersect(onFlat.get(), writable_.get());
    cairo_region_intersect_rectangle(onFlat.get(), &bounds);
    if (!cairo_region_is_empty(onFlat.get())) {
        copyPictureDirect(image_.get(), onFlat.get(), picture.flattened(placement, flatColor_),
                          placement.x, placement.y);
        cairo_region_subtract(flat_.get(), onFlat.get());
    }
    CairoRegion rest(cairo_region_copy(writable_.get()));
    cairo_region_subtract(rest.get(), onFlat.get());
    compositePictureDirect(image_.get(), rest.get(), image, placement.x, placement.y, 1.0);
}

void Compositor::drawPicture(cairo_t* cr, LayerPicture& picture, const cairo_matrix_t& local,
                             double opacity) {
    const LayerPicture::Placement placement = picture.place(local);
    if (placement.onGrid && directAccess().image && opacity >= 1) {
        compositeOnGrid(picture, placement);
        return;
    }
    materialise(&placement.box);
    cairo_save(cr);
    if (placement.onGrid) {
        cairo_identity_matrix(cr);
        cairo_set_source_surface(cr, picture.shifted(placement), placement.x, placement.y);
    } else {
        cairo_set_matrix(cr, &placement.matrix);
        cairo_set_source_surface(cr, picture.image(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    }
    if (opacity >= 1)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, opacity);
    cairo_restore(cr);
}

} // namespace aerolune
