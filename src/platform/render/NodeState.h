#pragma once

// What the compositor keeps in each view and layer between frames: written by
// the damage walk (what the node showed when last drawn, and where), read by
// the drawing of the damage.

#include "platform/core/Color.h"
#include "platform/core/Geometry.h"
#include "platform/render/DirectFill.h"
#include "platform/render/LayerPicture.h"
#include "platform/render/RoundShape.h"
#include "platform/view/RenderState.h"

#include <cairo.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace aerolune {

struct NodeState final : RenderState {
    explicit NodeState(std::uint64_t owner) : RenderState(owner) {
        cairo_matrix_init_identity(&parent);
    }

    // The state a compositor numbered `owner` keeps in `node` (a View or a
    // Layer), made on first use. A state of another owner is replaced.
    template <typename Node> static NodeState& of(Node& node, std::uint64_t owner) {
        RenderState* state = node.renderState();
        // A compositor stamps its number on NodeStates only (see RenderState).
        if (state && state->owner() == owner)
            return static_cast<NodeState&>(*state);
        auto made = std::make_unique<NodeState>(owner);
        NodeState& result = *made;
        node.setRenderState(std::move(made));
        return result;
    }

    bool fresh = true;
    // Device box of what the node and its subtree drew last (for a view: its
    // visible rectangle), and the matrix its parent had then.
    Rect drawn = Rect::null();
    cairo_matrix_t parent;
    // For a view: the whole device pixels it covers with opaque paint, as
    // drawn last, and the part it covered in the frame before as well.
    Rect cover = Rect::null();
    Rect heldCover = Rect::null();
    // What animations showed when last drawn, rounded as the screen rounds.
    int opacity8 = -1;
    std::vector<Color> colors;
    // A rasterised copy of the subtree, and where it was put last.
    std::optional<LayerPicture> picture;
    std::optional<LayerPicture::Placement> placed;
    // For an opaque gradient on whole pixels: the colour of each line.
    std::optional<GradientRamp> ramp;
    // For a small round shape: where it was drawn, and in which colour.
    std::optional<RoundShape> shape;
    Color shapeColor;
};

} // namespace aerolune
