#pragma once

// What a renderer keeps about a view or layer between frames (where it was
// drawn last, a cached picture of it). Opaque to the model, owned by the node so
// that it goes when the node goes.

namespace aerolune {

class RenderState {
public:
    virtual ~RenderState() = default;
};

} // namespace aerolune
