#pragma once

// A layer subtree rasterised once into an image of its own at a device scale,
// covering `box` (whole pixels of the layer's local coordinates times the
// scale, y up; the image's rows run from the top of the box down).
//
// Where the layer's matrix only moves it, the picture goes on whole pixels
// from a copy shifted by the nearest half pixel, resampled once per half:
// moving it is then a plain copy of pixels. Finer steps would multiply the
// copies and, with them, the memory a frame reads (quarter steps cost a cloud
// scene a third more time per frame). Turned, it is drawn through Cairo's
// bilinear filter. Copies composited over a plain opaque colour serve the
// places where nothing but that colour lies beneath. Copies are kept for one
// row shift only: a picture that moves sideways (a cloud) needs no other until
// it is put at another height, and a day of such moves would otherwise keep
// every shift of every picture.
//
// Rasterised as the compositor draws (LayerPainter), so that a subtree shows
// the same in a picture as drawn directly.

#include "platform/core/Color.h"
#include "platform/core/Geometry.h"
#include "platform/render/CairoHandles.h"

#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace aerolune {

class Layer;
class LayerPainter;

class LayerPicture {
public:
    static constexpr int steps = 2;
    static constexpr double maximumSide = 4096; // pixels

    struct Placement {
        // Moved only: at whole pixels (x, y), from the copy shifted by
        // (shiftX, shiftY) steps.
        bool onGrid = false;
        int x = 0, y = 0, shiftX = 0, shiftY = 0;
        // Otherwise: from picture pixels to device pixels.
        cairo_matrix_t matrix{};
        // The device pixels it touches.
        Rect box;

        // Whether it shows the same pixels in the same place as `other`.
        bool samePlace(const Placement& other) const;
    };

    LayerPicture(CairoSurface image, const Rect& box, double scale);

    // The layer's subtree as it shows at `now` (monotonic seconds) at `scale`
    // pixels a point, the layer's own opacity and place left to where the
    // picture is composited. Nothing for an empty subtree or one wider or
    // taller than maximumSide pixels.
    static std::optional<LayerPicture> rasterise(Layer& layer, double now, LayerPainter& painter,
                                                 double scale = 1);

    const Rect& box() const { return box_; }
    double scale() const { return scale_; }
    cairo_surface_t* image() const { return image_.get(); }

    // Where the picture goes for a layer whose local coordinates `local` maps
    // to device pixels.
    Placement place(const cairo_matrix_t& local) const;
    // The copy to draw for an on-grid placement.
    cairo_surface_t* shifted(const Placement& placement);
    // That copy composited over an opaque colour.
    cairo_surface_t* flattened(const Placement& placement, const Color& background);

private:
    // Drops the copies made for another row shift.
    void forgetOtherRows(int shiftY);

    CairoSurface image_;
    Rect box_;
    double scale_;
    std::vector<std::pair<int, CairoSurface>> shifted_;
    std::vector<std::tuple<int, Color, CairoSurface>> flattened_;
};

} // namespace aerolune
