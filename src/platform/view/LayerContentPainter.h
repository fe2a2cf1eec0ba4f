#pragma once

// What a renderer offers the kinds of layer that paint content of their own
// over their background: a layer says what it is by calling the painter for
// its kind (Layer::paintContent), so the renderer never asks a layer its type.
// The renderer's coordinates are the layer's own, as for its background.

namespace aerolune {

class TextLayer;

class LayerContentPainter {
public:
    virtual void paintText(const TextLayer& layer, double alpha) = 0;

protected:
    ~LayerContentPainter() = default;
};

} // namespace aerolune
