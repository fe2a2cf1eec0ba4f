#pragma once

// Lays out and draws a TextLayer's text with Pango: the default sans-serif
// face at the layer's font size, every line centred, the block centred in the
// layer and cut at its edges, upright on the screen whatever the y-up matrix
// of the context.

#include "platform/view/TextLayer.h"

#include <cairo.h>

namespace aerolune {

class TextPainter {
public:
    TextPainter() = delete;

    static void paint(cairo_t* cr, const TextLayer& layer, double alpha);
};

} // namespace aerolune
