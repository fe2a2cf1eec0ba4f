#include "platform/render/DamageWalk.h"

#include "platform/render/Compositor.h"
#include "platform/render/DeviceGeometry.h"

#include <cmath>
#include <optional>

namespace aerolune {
namespace {

// A subtree gets a picture of its own from this many layers on. The choice
// depends on the tree alone, never on its history, so that a subtree is always
// drawn the same way and a partial redraw matches a full one.
constexpr int pictureMinimumLayers = 16;

bool isFinite(const cairo_matrix_t& m) {
    return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) &&
           std::isfinite(m.yy) && std::isfinite(m.x0) && std::isfinite(m.y0);
}

bool sameMatrix(const cairo_matrix_t& a, const cairo_matrix_t& b) {
    return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 &&
           a.y0 == b.y0;
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

void settle(View& view) {
    view.settleChanges();
    auto settleLayers = [](View& node, auto& self) -> void {
        if (Layer* layer = node.layer())
            layer->settleChanges();
        for (const auto& subview : node.subviews())
            self(*subview, self);
    };
    settleLayers(view, settleLayers);
}

} // namespace

DamageWalk::DamageWalk(std::uint64_t owner, LayerPainter& painter)
    : owner_(owner), painter_(painter) {}

const std::vector<cairo_rectangle_int_t>& DamageWalk::walk(View& root, double now, int width,
                                                           int height, double scale) {
    now_ = now;
    height_ = height;
    scale_ = scale;
    damaged_.clear();
    clip_ = Rect(0, 0, width, height);
    visitView(root, 0, 0, true);
    settle(root);
    return damaged_;
}

void DamageWalk::damage(const Rect& deviceRect) {
    const Rect visible = deviceRect.intersection(clip_);
    if (visible.isNull() || visible.isEmpty())
        return;
    damaged_.push_back(pixelsCovering(visible));
}

void DamageWalk::visitView(View& view, double x, double y, bool isRoot) {
    NodeState& state = NodeState::of(view, owner_);
    const Rect frame = view.frame();
    const double vx = isRoot ? 0 : x + frame.minX(), vy = isRoot ? 0 : y + frame.minY();
    const double s = scale_;
    const Rect device(s * vx, height_ - s * vy - s * frame.height(), s * frame.width(),
                      s * frame.height());
    const Rect visible = device.intersection(clip_);

    Layer* layer = view.layer();
    const int opacity = layer ? Compositor::shownOpacity(*layer, now_) : 255;
    std::vector<Color> colors =
        layer ? Compositor::shownColors(*layer, now_) : std::vector<Color>{};
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
    const cairo_matrix_t matrix = viewMatrix(vx, vy, s, height_);
    if (layer)
        for (const auto& sublayer : layer->sublayers())
            visitLayer(*sublayer, matrix);
    for (const auto& subview : view.subviews())
        visitView(*subview, vx, vy, false);
    clip_ = parentClip;

    state.fresh = false;
    state.drawn = visible;
    state.opacity8 = opacity;
    state.colors = std::move(colors);
}

Rect DamageWalk::visitLayer(Layer& layer, const cairo_matrix_t& parent) {
    NodeState& state = NodeState::of(layer, owner_);
    const std::uint8_t changes = layer.changes();
    if (!state.fresh && changes == 0 && sameMatrix(state.parent, parent))
        return state.drawn;

    const int opacity = Compositor::shownOpacity(layer, now_);
    std::vector<Color> colors = Compositor::shownColors(layer, now_);
    const bool colorsChanged = colors != state.colors;
    bool appearance =
        state.fresh || colorsChanged || opacity != state.opacity8 ||
        !sameMatrix(state.parent, parent) ||
        (changes & (Layer::placementChanged | Layer::contentChanged | Layer::sublayersChanged));
    const cairo_matrix_t local = Compositor::layerMatrix(layer, parent);
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
            box = box.united(visitLayer(*sublayer, local));
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

bool DamageWalk::usePicture(Layer& layer, NodeState& state, std::uint8_t changes, bool& rebuilt) {
    const bool inside =
        changes & (Layer::contentChanged | Layer::sublayersChanged | Layer::descendantChanged);
    if (state.picture && !inside && state.picture->scale() == scale_)
        return true;
    if (state.picture) {
        state.picture.reset();
        rebuilt = true; // the old picture's place must be redrawn either way
    }
    if (!hasAtLeast(layer, pictureMinimumLayers))
        return false;
    state.picture = LayerPicture::rasterise(layer, now_, painter_, scale_);
    if (!state.picture)
        return false;
    ++picturesRasterised_;
    rebuilt = true;
    return true;
}

} // namespace aerolune
