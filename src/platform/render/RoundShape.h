#pragma once

// A small round shape (a star, a dot) as the compositor shows it: its device
// box and corner radius put on a fine grid. Such shapes drift by hundredths of
// a pixel a frame and twinkle by tenths; on the grid most frames leave them
// where they were, so they draw nothing, and the few coverages the grid allows
// are computed once and stamped ever after. The grid is finer than a screen
// shows at these sizes: a quarter pixel for the place, a sixteenth for the
// size.

#include "platform/core/Geometry.h"
#include "platform/view/Layer.h"

#include <cairo.h>
#include <optional>

namespace aerolune {

struct RoundShape {
    static constexpr double placeSteps = 4;   // per pixel
    static constexpr double sizeSteps = 16;   // per pixel
    static constexpr double maximumSide = 16; // pixels; larger shapes are drawn as they lie

    // Device pixels, y down; its corners lie on the grid.
    Rect box;
    double radius = 0;

    bool operator==(const RoundShape&) const = default;

    // The shape a layer shows, when it is one: no sublayers, rounded corners,
    // its background alone, a matrix that only moves it (flipped or not) and
    // scales it alike both ways, and sides from above zero to maximumSide
    // device pixels.
    static std::optional<RoundShape> of(const Layer& layer, const cairo_matrix_t& matrix);
};

} // namespace aerolune
