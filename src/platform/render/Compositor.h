#pragma once

// Renders a view tree, as it shows at a moment, into a Cairo ARGB32 image: one
// pixel per point, y flipped so that the tree's bottom-left is the image's
// bottom-left, antialiased.
//
// Only what changed is redrawn. Each render walks the tree along the change
// marks the setters left (Layer::changes, View::changes), compares what
// animations show now with what was drawn (rounded to 8 bits, what the screen
// can show), and collects the damaged pixels; only those are drawn again, and
// a frame where nothing changed draws nothing. What is drawn is a function of
// the tree and the moment alone, so a partial redraw gives the same pixels as
// a full one.
//
// A layer with many sublayers (a cloud of puffs) is rasterised into a picture
// of its own and then only composited as it moves, at the nearest half pixel;
// a change inside the subtree rasterises it again.
//
// A small round layer (a star) is shown on a fine grid of place and size
// (RoundShape): a drift or twinkle too small to leave its grid point draws
// nothing, and its coverage is stamped from a few computed once.
//
// One compositor per view tree: it keeps its notes in the nodes.

#include "platform/core/Geometry.h"
#include "platform/render/CairoHandles.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/LayerPicture.h"
#include "platform/render/RoundShape.h"
#include "platform/view/View.h"

#include <cairo.h>
#include <cstdint>
#include <vector>

namespace aerolune {

// A rectangle of device pixels, y down from the top of the image.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

class Compositor {
public:
    Compositor();
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // Draws what changed since the last call, as the tree shows at `now`
    // (monotonic seconds). Returns the rectangles redrawn; empty when nothing
    // changed. The image takes the root view's size unless memory was given.
    std::vector<PixelRect> render(View& root, double now);

    // Draws into memory owned by the caller (an image shared with the X
    // server) from now on; the next render redraws everything.
    void setTarget(unsigned char* data, int width, int height, int stride);
    // The next render redraws everything.
    void invalidate() { fullRedraw_ = true; }

    cairo_surface_t* image() const { return image_.get(); }
    int width() const;
    int height() const;
    // How many layer subtrees have been rasterised into pictures so far.
    std::uint64_t picturesRasterised() const { return picturesRasterised_; }

private:
    struct NodeState;

    NodeState& stateOf(View& view);
    NodeState& stateOf(Layer& layer);
    NodeState* existingState(const RenderState* state) const;

    void ensureImage(const View& root);
    void updateView(View& view, double x, double y, bool isRoot);
    Rect updateLayer(Layer& layer, const cairo_matrix_t& parent);
    bool usePicture(Layer& layer, NodeState& state, std::uint8_t changes, bool& rebuilt);
    bool rasterisePicture(Layer& layer, NodeState& state);
    void damage(const Rect& deviceRect);
    void settle(View& view);

    void drawView(cairo_t* cr, View& view, double x, double y, bool isRoot);
    void drawLayer(cairo_t* cr, Layer& layer, const cairo_matrix_t& parent);
    void drawPicture(cairo_t* cr, LayerPicture& picture, const cairo_matrix_t& local,
                     double opacity);
    // Opacity for a layer with sublayers or a view with subviews: drawn apart,
    // then blended once.
    void pushGroup(cairo_t* cr);
    void popGroup(cairo_t* cr, double opacity);

    void paintSubtree(cairo_t* cr, Layer& layer, const cairo_matrix_t& matrix, bool isRoot,
                      cairo_surface_t* directImage);
    bool isDamaged(const Rect& deviceRect) const;
    void clearIfPending(cairo_t* cr);
    // Clears the damage first unless the layer about to be painted covers it
    // with opaque whole pixels.
    void beforePainting(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                        double alpha);
    bool coversDamage(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors) const;
    static bool paintsNothing(const Layer& layer, const std::vector<Color>& colors);
    // Paints what the layer shows itself, after the clear or the deferred fill
    // that must come first.
    void paintLayer(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                    double alpha);

    // A plain opaque fill is not written at once: pictures that land on it are
    // copied already composited over its colour, which costs a copy instead of
    // a blend. Anything else drawn over it, and the end of the frame, writes
    // the fill where it is still due (materialise; null for all of it).
    // A small round shape, at its place on the grid (see RoundShape).
    void paintShape(cairo_t* cr, const Layer& layer, const RoundShape& shape, double alpha);

    bool deferFill(const Layer& layer, const std::vector<Color>& colors, double alpha,
                   const cairo_matrix_t& matrix);
    void materialise(const Rect* deviceBox);
    void compositeOnGrid(LayerPicture& picture, const LayerPicture::Placement& placement);
    LayerPainter::DirectAccess directAccess() const;

    const std::uint64_t id_;
    CairoSurface image_;
    bool ownsMemory_ = true;
    bool fullRedraw_ = true;
    bool clearPending_ = false;
    int groupDepth_ = 0;
    double now_ = 0;
    std::uint64_t picturesRasterised_ = 0;
    CairoRegion damage_;
    // While walking: the pieces of damage_, gathered before it is built.
    std::vector<cairo_rectangle_int_t> damaged_;
    // While walking: the visible part of the current view, in device pixels.
    Rect clip_;
    // While drawing: the damage inside clip_, where painters may write directly.
    CairoRegion writable_;
    CairoRegion flat_;
    Color flatColor_;
    LayerPainter painter_;
};

} // namespace aerolune
