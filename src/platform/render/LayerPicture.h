#pragma once

// A layer subtree rasterised once into an image of its own at a device scale,
// covering `box` (whole pixels of the layer's local coordinates times the
// scale, y up; the image's rows run from the top of the box down).
//
// Where the layer's matrix only moves it, the picture goes on whole pixels
// from a copy shifted by the nearest half point, resampled once per step: a
// half pixel up to a scale of 2, a whole pixel from there on, so that a cloud
// moves as finely on any screen and changes as often a second (finer steps at
// scale 2 would make a drifting sky change a quarter more often). Moving it
// is then a plain copy of pixels. Finer steps would multiply the
// copies and, with them, the memory a frame reads (quarter steps cost a cloud
// scene a third more time per frame). Turned, it is drawn through Cairo's
// bilinear filter. Copies are kept for one row shift only: a picture that
// moves sideways (a cloud) needs no other until it is put at another height,
// and a day of such moves would otherwise keep every shift of every picture.
//
// A subtree that paints one colour at varying opacity (a cloud of puffs) is
// kept as its coverage alone, one byte a pixel (see CoverageWriter): a
// quarter of the memory, and of the bytes a frame reads. Its colour is then
// exact at every coverage, where four bytes of premultiplied colour strayed
// from it by a few levels as puffs piled up.
//
// Rasterised as the compositor draws (LayerPainter), so that a subtree shows
// the same in a picture as drawn directly.

#include "platform/core/Color.h"
#include "platform/core/Geometry.h"
#include "platform/render/CairoHandles.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace aerolune {

class Layer;
class LayerPainter;

class LayerPicture {
public:
    // Steps a device pixel is cut into for a picture drawn at `scale`.
    static int stepsAt(double scale);
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

    LayerPicture(CairoSurface image, const Rect& box, double scale,
                 std::optional<Color> coverageColor = std::nullopt);

    // The layer's subtree as it shows at `now` (monotonic seconds) at `scale`
    // pixels a point, the layer's own opacity and place left to where the
    // picture is composited. Nothing for an empty subtree or one wider or
    // taller than maximumSide pixels.
    static std::optional<LayerPicture> rasterise(Layer& layer, double now, LayerPainter& painter,
                                                 double scale = 1);

    const Rect& box() const { return box_; }
    // For a picture kept as coverage (an A8 image): the colour it shows at
    // that coverage, opaque.
    const std::optional<Color>& coverageColor() const { return coverageColor_; }
    double scale() const { return scale_; }
    cairo_surface_t* image() const { return image_.get(); }

    // Where the picture goes for a layer whose local coordinates `local` maps
    // to device pixels.
    Placement place(const cairo_matrix_t& local) const;
    // How many frames a shifted copy is kept without being drawn.
    static constexpr std::uint64_t framesKept = 30;

    // The copy to draw for an on-grid placement in the frame numbered `frame`
    // (counted from 1 by the caller).
    cairo_surface_t* shifted(const Placement& placement, std::uint64_t frame);

private:
    struct Shifted {
        int key;
        CairoSurface surface;
        std::uint64_t lastDrawn;
    };

    // Drops the copies made for another row shift, and those not drawn lately.
    void forget(int shiftY, std::uint64_t frame);
    static bool drawnLately(std::uint64_t lastDrawn, std::uint64_t frame);
    Shifted* findShifted(int key);
    CairoSurface makeShifted(const Placement& placement) const;

    CairoSurface image_;
    Rect box_;
    double scale_;
    int steps_;
    // When the unshifted picture was last drawn itself (0: never).
    std::uint64_t imageLastDrawn_ = 0;
    std::vector<Shifted> shifted_;
    std::optional<Color> coverageColor_;
};

} // namespace aerolune
