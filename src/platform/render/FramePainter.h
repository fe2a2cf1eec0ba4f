#pragma once

// The second phase of a frame: draws the damage the walk found (DamageWalk),
// from what the walk noted in each node, and nothing outside it. Each view is
// clipped to its visible rectangle and skipped unless it meets the damage.
//
// A view is not drawn where views above it cover it with opaque paint (see
// NodeState::cover): the backdrop beneath the sky window.
//
// The damage starts black, unless the first thing drawn covers it with opaque
// whole pixels. Opacity for a layer with sublayers or a view with subviews
// applies to them as one group: drawn apart, then blended once.
//
// A plain opaque fill is not written at once: pictures of coverage that land
// on it are written with it, in one pass (see CoverageWriter). Anything else
// drawn over it, and the end of the frame, writes the fill where it is still
// due.

#include "platform/core/Color.h"
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

class FramePainter {
public:
    // `owner` numbers the compositor's node states; `painter` draws each layer.
    FramePainter(std::uint64_t owner, LayerPainter& painter);

    // Draws the tree into `image` inside `damage` (device pixels), at `scale`
    // pixels a point.
    void draw(View& root, cairo_surface_t* image, const cairo_region_t* damage, double scale);

private:
    void drawView(cairo_t* cr, View& view, double x, double y, bool isRoot);
    void drawLayer(cairo_t* cr, Layer& layer, const cairo_matrix_t& parent);
    void drawPicture(cairo_t* cr, LayerPicture& picture, const cairo_matrix_t& local,
                     double opacity);
    void compositeOnGrid(LayerPicture& picture, const LayerPicture::Placement& placement);
    // Over a plain fill that fills all it may write, sublayers that are all
    // pictures of one colour's coverage on whole pixels (the clouds of a day)
    // are written in one pass with the fill (see CoverageWriter). False,
    // drawing nothing, where that does not hold.
    bool drawCoverageRun(const Layer& layer);
    void pushGroup(cairo_t* cr);
    void popGroup(cairo_t* cr, double opacity);

    bool isDamaged(const Rect& deviceRect) const;
    static bool isDamagedIn(const cairo_region_t* region, const Rect& deviceRect);
    // Clips drawing to the image outside `hole`.
    void clipAround(cairo_t* cr, const cairo_rectangle_int_t& hole) const;
    void clearIfPending(cairo_t* cr);
    // Clears the damage first unless the layer about to be painted covers it
    // with opaque whole pixels.
    void beforePainting(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors,
                        double alpha);
    bool coversDamage(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors) const;
    static bool paintsNothing(const Layer& layer, const std::vector<Color>& colors);
    // Paints what the layer shows itself, after the clear or the deferred fill
    // that must come first.
    void paintLayer(cairo_t* cr, const Layer& layer, const std::vector<Color>& colors, double alpha,
                    const GradientRamp* ramp = nullptr);
    // A small round shape, at its place on the grid (see RoundShape).
    void paintShape(cairo_t* cr, const Layer& layer, const RoundShape& shape, double alpha);
    bool deferFill(const Layer& layer, const std::vector<Color>& colors, double alpha,
                   const cairo_matrix_t& matrix);
    // Writes the deferred fill where it is due inside the box (null: all of it).
    void materialise(const Rect* deviceBox);
    LayerPainter::DirectAccess directAccess();
    // Clips the context to the damage, once in each saved state that draws
    // through it.
    void clipToDamage();
    void save(cairo_t* cr);
    void restore(cairo_t* cr);
    void forgetClipAbove(int depth);

    const std::uint64_t owner_;
    LayerPainter& painter_;
    // Frames drawn so far, by which pictures keep the copies drawn lately.
    std::uint64_t frame_ = 0;
    // While drawing a frame:
    cairo_surface_t* image_ = nullptr;
    cairo_t* cr_ = nullptr;
    // How many states are saved, and in which of them the damage clip was set
    // (-1: none yet).
    int saveDepth_ = 0;
    int damageClipDepth_ = -1;
    const cairo_region_t* damage_ = nullptr;
    int height_ = 0;
    double scale_ = 1;
    bool clearPending_ = false;
    int groupDepth_ = 0;
    // The visible part of the current view, in device pixels.
    Rect clip_;
    // For the view about to be drawn: what its later siblings cover.
    Rect hidden_ = Rect::null();
    // The damage inside clip_, where painters may write directly.
    CairoRegion writable_;
    // Where the deferred fill is still due, and its colour.
    CairoRegion flat_;
    Color flatColor_;
};

} // namespace aerolune
