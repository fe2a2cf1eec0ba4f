#pragma once

// Renders a view tree, as it shows at a moment, into a Cairo ARGB32 image: the
// tree in points, the image in device pixels, `scale` pixels a point (2 on a
// HiDPI screen), y flipped so that the tree's bottom-left is the image's
// bottom-left, antialiased. Everything is rasterised at the scale, so edges,
// discs and text are as sharp as the pixels allow, never enlarged.
//
// Only what changed is redrawn, in two phases: the damage walk (DamageWalk)
// finds what shows differently from the last frame and where, then the frame
// painter (FramePainter) draws those pixels alone, and a frame where nothing
// changed draws nothing. What is drawn is a function of the tree and the
// moment alone, so a partial redraw gives the same pixels as a full one.
//
// A layer with many sublayers (a cloud of puffs) is rasterised into a picture
// of its own (LayerPicture) and then only composited as it moves, at the
// nearest half point; a change inside the subtree rasterises it again.
//
// A small round layer (a star) is shown on a fine grid of place and size
// (RoundShape): a drift or twinkle too small to leave its grid point draws
// nothing, and its coverage is stamped from a few computed once.
//
// One compositor per view tree: it keeps its notes in the nodes (NodeState).

#include "platform/core/Color.h"
#include "platform/render/CairoHandles.h"
#include "platform/render/DamageWalk.h"
#include "platform/render/FramePainter.h"
#include "platform/render/LayerPainter.h"
#include "platform/view/View.h"

#include <cairo.h>
#include <cstdint>
#include <functional>
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

// The rectangles as one region, and a region's rectangles.
CairoRegion regionOf(const std::vector<PixelRect>& rects);
std::vector<PixelRect> rectsOf(const cairo_region_t* region);

class Compositor {
public:
    Compositor();
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // Draws what changed since the last call, as the tree shows at `now`
    // (monotonic seconds). Returns the rectangles redrawn; empty when nothing
    // changed. The image takes the root view's size unless memory was given.
    // `beforeDrawing`, when given, runs once the frame is known to draw
    // something and before it touches the image (the image may still be in
    // use elsewhere). `stale` are pieces of the image that do not hold the
    // last frame (memory that was away): drawn again, but not reported; or,
    // where `lastFrame` is memory of the image's size and stride that holds
    // the last frame, copied from it where this frame does not draw them.
    std::vector<PixelRect> render(View& root, double now,
                                  const std::function<void()>& beforeDrawing = {},
                                  const std::vector<PixelRect>& stale = {},
                                  const unsigned char* lastFrame = nullptr);

    // Draws into memory owned by the caller (an image shared with the X
    // server) from now on; the next render redraws everything, unless the
    // memory already holds the last frame (`holdsLastFrame`, at the same size).
    void setTarget(unsigned char* data, int width, int height, int stride,
                   bool holdsLastFrame = false);
    // The size in device pixels of an image for `root` at the current scale.
    PixelRect imageBounds(const View& root) const;
    // The next render redraws everything.
    void invalidate() { fullRedraw_ = true; }
    // Device pixels per point from the next render on (at most a few; 1 by
    // default); a change redraws everything.
    void setScale(double scale);
    double scale() const { return scale_; }

    cairo_surface_t* image() const { return image_.get(); }
    int width() const;
    int height() const;
    // How many layer subtrees have been rasterised into pictures so far.
    std::uint64_t picturesRasterised() const { return walk_.picturesRasterised(); }

    // How the tree shows at a moment, read alike by both phases and by
    // pictures, as the screen shows it: in 8 bits a channel.
    // A layer's opacity at `now` out of 255, 0 when hidden; ended animations go.
    static int shownOpacity(Layer& layer, double now);
    // Its gradient's colours at `now`.
    static std::vector<Color> shownColors(const Layer& layer, double now);
    // From a layer's local coordinates to where `parent` maps its parent's:
    // to its place, turned about its centre.
    static cairo_matrix_t layerMatrix(const Layer& layer, const cairo_matrix_t& parent);

private:
    void ensureImage(const View& root);
    void copyFrom(const unsigned char* lastFrame, const cairo_region_t* pieces);

    const std::uint64_t owner_;
    CairoSurface image_;
    bool ownsMemory_ = true;
    bool fullRedraw_ = true;
    double scale_ = 1;
    LayerPainter painter_;
    DamageWalk walk_;
    FramePainter drawing_;
};

} // namespace aerolune
