#pragma once

// The first phase of a frame: decides what changed and where, drawing nothing
// on the screen. It walks the tree along the change marks the setters left
// (Layer::changes, View::changes), compares what each visited node shows now
// (rounded to 8 bits, what the screen can show) with what it showed when last
// drawn, notes the new state in the node (NodeState) and collects the device
// pixels to redraw: the old and the new place of everything that changed.
// Subtrees nothing touched are not visited. At the end the marks are settled.
//
// A layer with many sublayers gets a picture of its own here (LayerPicture),
// rasterised again when something inside it changed; where it lands decides
// its damage. A small round layer is judged by where it shows on its grid
// (RoundShape), not by where it lies.
//
// A gradient whose colours alone changed damages only the lines (rows or
// columns) whose 8-bit colour changed.
//
// What a view covers with opaque paint in this frame and the last (the sky
// window over the backdrop) hides the damage of the views beneath it: a
// backdrop that changes colour is redrawn only around the window.

#include "platform/core/Geometry.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/NodeState.h"
#include "platform/view/View.h"

#include <cairo.h>
#include <cstdint>
#include <optional>
#include <vector>

namespace aerolune {

class DamageWalk {
public:
    // `owner` numbers the compositor's node states; `painter` rasterises pictures.
    DamageWalk(std::uint64_t owner, LayerPainter& painter);

    // The pixels to redraw for the tree at `now` in an image of the given
    // size at `scale` pixels a point, in pieces that may overlap; empty when
    // nothing shows differently.
    const std::vector<cairo_rectangle_int_t>& walk(View& root, double now, int width, int height,
                                                   double scale);

    // How many layer subtrees have been rasterised into pictures so far.
    std::uint64_t picturesRasterised() const { return picturesRasterised_; }

private:
    void visitView(View& view, double x, double y, bool isRoot);
    Rect visitLayer(Layer& layer, const cairo_matrix_t& parent);
    bool usePicture(Layer& layer, NodeState& state, std::uint8_t changes, bool& rebuilt);
    void damage(const Rect& deviceRect);
    // Damages the lines of a gradient that show another colour than before;
    // false when it cannot tell (not a gradient on whole pixels, or moved).
    bool damageChangedLines(const std::optional<GradientRamp>& old,
                            const std::optional<GradientRamp>& ramp);
    // A gradient whose colours alone changed damages only the lines (rows or
    // columns) whose 8-bit colour changed.
    //
    // What a view covers with opaque paint now, once its subtree was visited.
    Rect coverOf(View& view, int opacity, const Rect& visible, const cairo_matrix_t& matrix);
    // Takes away from the damage of each subview what those above it cover;
    // `starts` are where each subview's damage begins.
    void hideCovered(const std::vector<std::shared_ptr<View>>& subviews,
                     const std::vector<std::size_t>& starts);

    const std::uint64_t owner_;
    LayerPainter& painter_;
    double now_ = 0;
    int height_ = 0;
    double scale_ = 1;
    std::uint64_t picturesRasterised_ = 0;
    std::vector<cairo_rectangle_int_t> damaged_;
    // The visible part of the current view, in device pixels.
    Rect clip_;
};

} // namespace aerolune
