#pragma once

// Draws what one layer shows by itself (its background, its gradient, its
// text), not its sublayers. The context's matrix maps the layer's local
// coordinates (y up, its bounds at the origin) to device pixels.

#include "platform/render/DirectFill.h"
#include "platform/render/DiscStamps.h"
#include "platform/render/RoundShape.h"
#include "platform/view/Layer.h"

#include <cairo.h>
#include <functional>
#include <vector>

namespace aerolune {

class LayerPainter {
public:
    // Where a painter may write pixels itself instead of going through Cairo:
    // the context's target image, and the part of it that may change.
    struct DirectAccess {
        cairo_surface_t* image = nullptr;
        const cairo_region_t* allowed = nullptr; // null: the whole image
        // Called before anything is drawn through the context instead, so that
        // the context's clip is only set up in frames that need it.
        std::function<void()> beforeCairo;
        // The damage walk's ramp of the gradient being painted, when it made
        // one: a drifting backdrop's lines need not be worked out twice.
        const GradientRamp* ramp = nullptr;

        void prepareCairo() const {
            if (beforeCairo)
                beforeCairo();
        }
    };

    // `alpha` multiplies every colour (the layer's opacity when it has no
    // sublayers to share it with). `gradientColors` are the colours to show
    // for a gradient layer at this moment.
    void paint(cairo_t* cr, const Layer& layer, double alpha,
               const std::vector<Color>& gradientColors, const DirectAccess& direct);

    // A small round shape where the compositor placed it (in device pixels,
    // whatever the context's matrix), in `color` at `alpha`: stamped straight
    // into the image where direct access allows, filled through Cairo otherwise.
    void paintShape(cairo_t* cr, const RoundShape& shape, const Color& color, double alpha,
                    const DirectAccess& direct);

    static void roundedRectangle(cairo_t* cr, double x, double y, double width, double height,
                                 double radius);

private:
    void paintBackground(cairo_t* cr, const Layer& layer, double alpha, const DirectAccess& direct);
    void paintGradient(cairo_t* cr, Size size, const std::vector<Color>& colors, double alpha,
                       const DirectAccess& direct);

    DiscStamps stamps_;
};

} // namespace aerolune
