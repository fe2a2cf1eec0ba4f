#include "platform/render/DamageWalk.h"

#include "platform/render/Compositor.h"
#include "platform/render/DeviceGeometry.h"
#include "platform/render/DirectFill.h"

#include <algorithm>
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

bool paintsOpaque(const Layer& layer, const std::vector<Color>& colors) {
    if (layer.isHidden() || layer.cornerRadius() > 0)
        return false;
    if (colors.size() < 2)
        return layer.backgroundColor().alpha() >= 1;
    return std::ranges::all_of(colors, [](const Color& c) { return c.alpha() >= 1; });
}

double area(const Rect& r) {
    return r.isNull() || r.isEmpty() ? 0 : r.width() * r.height();
}

Rect larger(const Rect& a, const Rect& b) {
    return area(b) > area(a) ? b : a;
}

// The whole pixels inside a rectangle.
Rect pixelsInside(const Rect& r) {
    if (r.isNull() || r.isEmpty())
        return Rect::null();
    const double x0 = std::ceil(r.minX() - 1e-7), y0 = std::ceil(r.minY() - 1e-7);
    const double x1 = std::floor(r.maxX() + 1e-7), y1 = std::floor(r.maxY() + 1e-7);
    return x1 > x0 && y1 > y0 ? Rect(x0, y0, x1 - x0, y1 - y0) : Rect::null();
}

Rect asRect(const cairo_rectangle_int_t& r) {
    return Rect(r.x, r.y, r.width, r.height);
}

// What is left of `piece` outside `cut`, in up to four pieces; the first
// replaces it, an emptied one stays as an empty rectangle.
void cutAway(std::vector<cairo_rectangle_int_t>& pieces, std::size_t index,
             const cairo_rectangle_int_t& cut) {
    const cairo_rectangle_int_t p = pieces[index];
    const int x0 = std::max(p.x, cut.x), x1 = std::min(p.x + p.width, cut.x + cut.width);
    const int y0 = std::max(p.y, cut.y), y1 = std::min(p.y + p.height, cut.y + cut.height);
    if (x0 >= x1 || y0 >= y1)
        return;
    const cairo_rectangle_int_t rest[] = {
        {p.x, p.y, p.width, y0 - p.y},
        {p.x, y1, p.width, p.y + p.height - y1},
        {p.x, y0, x0 - p.x, y1 - y0},
        {x1, y0, p.x + p.width - x1, y1 - y0},
    };
    pieces[index] = {0, 0, 0, 0};
    for (const auto& r : rest) {
        if (r.width <= 0 || r.height <= 0)
            continue;
        if (pieces[index].width == 0)
            pieces[index] = r;
        else
            pieces.push_back(r);
    }
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
    std::erase_if(damaged_, [](const auto& r) { return r.width <= 0 || r.height <= 0; });
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
    std::vector<std::size_t> starts;
    starts.reserve(view.subviews().size());
    for (const auto& subview : view.subviews()) {
        starts.push_back(damaged_.size());
        visitView(*subview, vx, vy, false);
    }
    hideCovered(view.subviews(), starts);
    clip_ = parentClip;

    state.fresh = false;
    state.drawn = visible;
    state.opacity8 = opacity;
    state.colors = std::move(colors);
    const Rect cover = coverOf(view, opacity, visible, matrix);
    state.heldCover = cover.intersection(state.cover);
    state.cover = cover;
}

Rect DamageWalk::coverOf(View& view, int opacity, const Rect& visible,
                         const cairo_matrix_t& matrix) {
    if (opacity < 255)
        return Rect::null();
    Rect best = Rect::null();
    auto consider = [&](const Layer& layer, const cairo_matrix_t& m) {
        if (const auto pixels = alignedPixels(m, layer.bounds().size))
            best = larger(best, asRect(*pixels));
    };
    if (Layer* layer = view.layer()) {
        if (paintsOpaque(*layer, NodeState::of(view, owner_).colors))
            consider(*layer, matrix);
        for (const auto& sublayer : layer->sublayers()) {
            const NodeState& state = NodeState::of(*sublayer, owner_);
            if (state.opacity8 == 255 && !state.picture && !state.shape &&
                paintsOpaque(*sublayer, state.colors))
                consider(*sublayer, Compositor::layerMatrix(*sublayer, matrix));
        }
    }
    for (const auto& subview : view.subviews())
        best = larger(best, NodeState::of(*subview, owner_).cover);
    return pixelsInside(best.intersection(visible));
}

void DamageWalk::hideCovered(const std::vector<std::shared_ptr<View>>& subviews,
                             const std::vector<std::size_t>& starts) {
    Rect above = Rect::null();
    std::size_t end = damaged_.size();
    for (std::size_t i = subviews.size(); i-- > 0;) {
        if (!above.isNull() && !above.isEmpty()) {
            const cairo_rectangle_int_t cut = pixelsCovering(above);
            for (std::size_t k = starts[i]; k < end; ++k)
                cutAway(damaged_, k, cut);
        }
        end = starts[i];
        above = larger(above, NodeState::of(*subviews[i], owner_).heldCover);
    }
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
        // A move that lands on the same step of the grid shows the same pixels.
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
    const bool recoloured =
        !state.fresh && opacity == state.opacity8 && sameMatrix(state.parent, parent) &&
        layer.sublayers().empty() &&
        !(changes & (Layer::placementChanged | Layer::contentChanged | Layer::sublayersChanged));
    std::optional<GradientRamp> ramp;
    if (appearance && state.colors.size() >= 2 && isFinite(local) && !shape)
        ramp = gradientRamp(local, layer.bounds().size, state.colors);
    if (appearance) {
        if (!(recoloured && damageChangedLines(state.ramp, ramp))) {
            damage(state.drawn);
            damage(box);
        }
        state.ramp = std::move(ramp);
    }
    state.fresh = false;
    state.drawn = box;
    state.parent = parent;
    state.opacity8 = opacity;
    return box;
}

bool DamageWalk::damageChangedLines(const std::optional<GradientRamp>& old,
                                    const std::optional<GradientRamp>& ramp) {
    const bool comparable = ramp && old && old->alongColumns == ramp->alongColumns &&
                            old->pixels.size() == ramp->pixels.size() &&
                            old->bounds.x == ramp->bounds.x && old->bounds.y == ramp->bounds.y &&
                            old->bounds.width == ramp->bounds.width &&
                            old->bounds.height == ramp->bounds.height;
    if (!comparable)
        return false;
    const cairo_rectangle_int_t& b = ramp->bounds;
    const auto& before = old->pixels;
    const auto& now = ramp->pixels;
    for (std::size_t i = 0; i < now.size();) {
        if (now[i] == before[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < now.size() && now[end] != before[end])
            ++end;
        const double first = static_cast<double>(i), count = static_cast<double>(end - i);
        damage(ramp->alongColumns ? Rect(b.x + first, b.y, count, b.height)
                                  : Rect(b.x, b.y + first, b.width, count));
        i = end;
    }
    return true;
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
