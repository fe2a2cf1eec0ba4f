#include "platform/render/FramePainter.h"

#include "platform/render/Compositor.h"
#include "platform/render/CoverageWriter.h"
#include "platform/render/DeviceGeometry.h"
#include "platform/render/DirectFill.h"
#include "platform/render/NodeState.h"

#include <optional>
#include <utility>

namespace aerolune {
namespace {

double area(const Rect& r) {
    return r.isNull() || r.isEmpty() ? 0 : r.width() * r.height();
}

} // namespace

FramePainter::FramePainter(std::uint64_t owner, LayerPainter& painter)
    : owner_(owner), painter_(painter) {}

void FramePainter::draw(View& root, cairo_surface_t* image, const cairo_region_t* damage,
                        double scale) {
    ++frame_;
    image_ = image;
    scale_ = scale;
    damage_ = damage;
    height_ = cairo_image_surface_get_height(image);
    CairoContext cr(cairo_create(image));
    cr_ = cr.get();
    saveDepth_ = 0;
    damageClipDepth_ = -1;
    clearPending_ = true;
    clip_ = Rect(0, 0, cairo_image_surface_get_width(image), height_);
    drawView(cr.get(), root, 0, 0, true);
    clearIfPending(cr.get());
    materialise(nullptr);
    flat_.reset();
    writable_.reset();
    cr_ = nullptr;
    image_ = nullptr;
    damage_ = nullptr;
}

void FramePainter::drawView(cairo_t* cr, View& view, double x, double y, bool isRoot) {
    NodeState& state = NodeState::of(view, owner_);
    // What views above cover with opaque paint is theirs to draw.
    const Rect hidden = hidden_.intersection(state.drawn);
    hidden_ = Rect::null();
    const bool covered = !hidden.isNull() && !hidden.isEmpty();
    CairoRegion open(cairo_region_copy(writable_ ? writable_.get() : damage_));
    const cairo_rectangle_int_t hole = pixelsCovering(hidden);
    if (covered)
        cairo_region_subtract_rectangle(open.get(), &hole);
    if (state.opacity8 <= 0 || !isDamagedIn(open.get(), state.drawn))
        return;
    const Rect frame = view.frame();
    const double vx = isRoot ? 0 : x + frame.minX(), vy = isRoot ? 0 : y + frame.minY();
    const double opacity = state.opacity8 / 255.0;
    const bool group = opacity < 1;

    save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, state.drawn.minX(), state.drawn.minY(), state.drawn.width(),
                    state.drawn.height());
    cairo_clip(cr);
    if (covered)
        clipAround(cr, hole);
    const Rect parentClip = clip_;
    clip_ = state.drawn;
    CairoRegion parentWritable = std::move(writable_);
    const cairo_rectangle_int_t visible = pixelsCovering(state.drawn);
    writable_ = std::move(open);
    cairo_region_intersect_rectangle(writable_.get(), &visible);
    if (group)
        pushGroup(cr);

    const cairo_matrix_t matrix = viewMatrix(vx, vy, scale_, height_);
    if (Layer* layer = view.layer()) {
        cairo_set_matrix(cr, &matrix);
        paintLayer(cr, *layer, state.colors, 1.0);
        if (!drawCoverageRun(*layer))
            for (const auto& sublayer : layer->sublayers())
                drawLayer(cr, *sublayer, matrix);
    }
    const auto& subviews = view.subviews();
    for (std::size_t i = 0; i < subviews.size(); ++i) {
        hidden_ = Rect::null();
        for (std::size_t j = i + 1; j < subviews.size(); ++j) {
            const Rect& cover = NodeState::of(*subviews[j], owner_).cover;
            if (area(cover) > area(hidden_))
                hidden_ = cover;
        }
        drawView(cr, *subviews[i], vx, vy, false);
    }
    hidden_ = Rect::null();

    if (group)
        popGroup(cr, opacity);
    writable_ = std::move(parentWritable);
    clip_ = parentClip;
    restore(cr);
}

void FramePainter::drawLayer(cairo_t* cr, Layer& layer, const cairo_matrix_t& parent) {
    NodeState& state = NodeState::of(layer, owner_);
    if (state.opacity8 <= 0 || !isDamaged(state.drawn))
        return;
    const cairo_matrix_t local = Compositor::layerMatrix(layer, parent);
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
    paintLayer(cr, layer, state.colors, group ? 1.0 : opacity, state.ramp ? &*state.ramp : nullptr);
    for (const auto& sublayer : layer.sublayers())
        drawLayer(cr, *sublayer, local);
    if (group)
        popGroup(cr, opacity);
}

void FramePainter::drawPicture(cairo_t* cr, LayerPicture& picture, const cairo_matrix_t& local,
                               double opacity) {
    const LayerPicture::Placement placement = picture.place(local);
    if (placement.onGrid && directAccess().image && opacity >= 1) {
        compositeOnGrid(picture, placement);
        return;
    }
    materialise(&placement.box);
    clipToDamage();
    save(cr);
    CairoPattern pattern;
    if (placement.onGrid) {
        cairo_identity_matrix(cr);
        pattern.reset(cairo_pattern_create_for_surface(picture.shifted(placement, frame_)));
        cairo_matrix_t offset;
        cairo_matrix_init_translate(&offset, -placement.x, -placement.y);
        cairo_pattern_set_matrix(pattern.get(), &offset);
    } else {
        cairo_set_matrix(cr, &placement.matrix);
        pattern.reset(cairo_pattern_create_for_surface(picture.image()));
        cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_BILINEAR);
    }
    if (const auto& color = picture.coverageColor()) {
        // The colour shown through its coverage: what its colour picture would show.
        cairo_set_source_rgba(cr, color->red(), color->green(), color->blue(), opacity);
        cairo_mask(cr, pattern.get());
    } else {
        cairo_set_source(cr, pattern.get());
        cairo_paint_with_alpha(cr, opacity);
    }
    restore(cr);
}

void FramePainter::compositeOnGrid(LayerPicture& picture,
                                   const LayerPicture::Placement& placement) {
    const cairo_rectangle_int_t bounds = pixelsCovering(placement.box);
    cairo_surface_t* shifted = picture.shifted(placement, frame_);
    const auto& color = picture.coverageColor();
    if (!color) {
        materialise(&placement.box);
        compositePictureDirect(image_, writable_.get(), shifted, placement.x, placement.y, 1.0);
        return;
    }
    // Where only the deferred plain fill lies beneath, the picture and the
    // fill are written in one pass, and those pixels count as filled.
    CoverageWriter writer(*color, flatColor_);
    const CoverageWriter::Piece piece{shifted, placement.x, placement.y};
    CairoRegion rest(cairo_region_copy(writable_.get()));
    cairo_region_intersect_rectangle(rest.get(), &bounds);
    if (flat_) {
        CairoRegion onFlat(cairo_region_copy(flat_.get()));
        cairo_region_intersect(onFlat.get(), rest.get());
        writer.writeOverPlain(image_, onFlat.get(), {piece});
        cairo_region_subtract(flat_.get(), onFlat.get());
        cairo_region_subtract(rest.get(), onFlat.get());
    }
    writer.compositeOver(image_, rest.get(), piece);
}

bool FramePainter::drawCoverageRun(const Layer& layer) {
    if (!flat_ || groupDepth_ > 0 || !writable_ ||
        !cairo_region_equal(flat_.get(), writable_.get()))
        return false;
    std::optional<Color> color;
    std::vector<std::pair<LayerPicture*, LayerPicture::Placement>> placed;
    for (const auto& sublayer : layer.sublayers()) {
        NodeState& state = NodeState::of(*sublayer, owner_);
        if (state.opacity8 <= 0)
            continue;
        if (state.opacity8 < 255 || !state.picture || !state.picture->coverageColor() ||
            !state.placed || !state.placed->onGrid ||
            (color && *color != *state.picture->coverageColor()))
            return false;
        color = state.picture->coverageColor();
        placed.emplace_back(&*state.picture, *state.placed);
    }
    if (!color)
        return false;
    std::vector<CoverageWriter::Piece> pieces;
    for (auto& [picture, placement] : placed)
        if (isDamagedIn(flat_.get(), placement.box))
            pieces.push_back({picture->shifted(placement, frame_), placement.x, placement.y});
    CoverageWriter(*color, flatColor_).writeOverPlain(image_, flat_.get(), pieces);
    flat_.reset();
    return true;
}

void FramePainter::pushGroup(cairo_t* cr) {
    clearIfPending(cr);
    materialise(nullptr);
    clipToDamage();
    cairo_push_group(cr);
    ++saveDepth_;
    ++groupDepth_;
}

void FramePainter::popGroup(cairo_t* cr, double opacity) {
    --groupDepth_;
    cairo_pop_group_to_source(cr);
    forgetClipAbove(saveDepth_--);
    clipToDamage();
    cairo_identity_matrix(cr);
    cairo_paint_with_alpha(cr, opacity);
}

void FramePainter::clipAround(cairo_t* cr, const cairo_rectangle_int_t& hole) const {
    const int w = cairo_image_surface_get_width(image_);
    const int x1 = hole.x + hole.width, y1 = hole.y + hole.height;
    cairo_rectangle(cr, 0, 0, w, hole.y);
    cairo_rectangle(cr, 0, y1, w, height_ - y1);
    cairo_rectangle(cr, 0, hole.y, hole.x, hole.height);
    cairo_rectangle(cr, x1, hole.y, w - x1, hole.height);
    cairo_clip(cr);
}

bool FramePainter::isDamagedIn(const cairo_region_t* region, const Rect& deviceRect) {
    if (deviceRect.isNull() || deviceRect.isEmpty())
        return false;
    const cairo_rectangle_int_t pixels = pixelsCovering(deviceRect);
    return cairo_region_contains_rectangle(region, &pixels) != CAIRO_REGION_OVERLAP_OUT;
}

// Asked of the view's own damage where there is one: a night's stars are
// looked up among their own few pieces, not among the backdrop's hundreds.
bool FramePainter::isDamaged(const Rect& deviceRect) const {
    return isDamagedIn(writable_ ? writable_.get() : damage_, deviceRect);
}

void FramePainter::clearIfPending(cairo_t* cr) {
    if (!clearPending_)
        return;
    clearPending_ = false;
    clipToDamage();
    save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    restore(cr);
}

void FramePainter::beforePainting(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                                  double alpha) {
    if (!clearPending_ || paintsNothing(layer, colors))
        return;
    if (groupDepth_ > 0 || alpha < 1 || !coversDamage(cr, layer, colors))
        clearIfPending(cr);
    clearPending_ = false;
}

bool FramePainter::coversDamage(cairo_t* cr, const Layer& layer,
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
    if (cairo_region_contains_rectangle(damage_, &pixels) == CAIRO_REGION_OVERLAP_IN)
        return true;
    cairo_rectangle_int_t extents;
    cairo_region_get_extents(damage_, &extents);
    return extents.x >= pixels.x && extents.y >= pixels.y &&
           extents.x + extents.width <= pixels.x + pixels.width &&
           extents.y + extents.height <= pixels.y + pixels.height;
}

bool FramePainter::paintsNothing(const Layer& layer, const std::vector<Color>& colors) {
    return colors.size() < 2 && !(layer.backgroundColor().alpha() > 0) && !layer.paintsContent();
}

void FramePainter::paintLayer(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                              double alpha, const GradientRamp* ramp) {
    beforePainting(cr, layer, colors, alpha);
    if (paintsNothing(layer, colors))
        return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (deferFill(layer, colors, alpha, m))
        return;
    const Rect box = transformedBox(m, layer.bounds());
    materialise(&box);
    LayerPainter::DirectAccess access = directAccess();
    access.ramp = ramp;
    painter_.paint(cr, layer, alpha, colors, access);
}

void FramePainter::paintShape(cairo_t* cr, const Layer& layer, const RoundShape& shape,
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

bool FramePainter::deferFill(const Layer& layer, const std::vector<Color>& colors, double alpha,
                             const cairo_matrix_t& m) {
    const Color& color = layer.backgroundColor();
    if (groupDepth_ > 0 || !writable_ || alpha < 1 || colors.size() >= 2 || color.alpha() < 1 ||
        layer.cornerRadius() > 0 || layer.paintsContent())
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

void FramePainter::materialise(const Rect* deviceBox) {
    if (!flat_ || cairo_region_is_empty(flat_.get()))
        return;
    CairoRegion part(cairo_region_copy(flat_.get()));
    if (deviceBox) {
        if (deviceBox->isNull() || deviceBox->isEmpty())
            return;
        const cairo_rectangle_int_t pixels = pixelsCovering(*deviceBox);
        cairo_region_intersect_rectangle(part.get(), &pixels);
    }
    fillRegionDirect(image_, part.get(), flatColor_);
    cairo_region_subtract(flat_.get(), part.get());
}

LayerPainter::DirectAccess FramePainter::directAccess() {
    LayerPainter::DirectAccess access;
    access.beforeCairo = [this] { clipToDamage(); };
    // Inside a group, drawing goes to the group's surface, not to the image.
    if (groupDepth_ > 0 || !writable_)
        return access;
    access.image = image_;
    access.allowed = writable_.get();
    return access;
}

void FramePainter::clipToDamage() {
    if (damageClipDepth_ >= 0)
        return;
    // Hundreds of small pieces make a costly clip: frames whose pixels are
    // all written directly never build it.
    cairo_matrix_t matrix;
    cairo_get_matrix(cr_, &matrix);
    cairo_identity_matrix(cr_);
    for (int i = 0, count = cairo_region_num_rectangles(damage_); i < count; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(damage_, i, &r);
        cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
    }
    cairo_clip(cr_);
    cairo_set_matrix(cr_, &matrix);
    damageClipDepth_ = saveDepth_;
}

void FramePainter::save(cairo_t* cr) {
    cairo_save(cr);
    ++saveDepth_;
}

void FramePainter::restore(cairo_t* cr) {
    cairo_restore(cr);
    forgetClipAbove(saveDepth_--);
}

void FramePainter::forgetClipAbove(int depth) {
    // The clip set inside the state just left went with it.
    if (damageClipDepth_ == depth)
        damageClipDepth_ = -1;
}

} // namespace aerolune
