#pragma once

// A rectangle of the window with ordered subviews, as the window toolkit gives it.
//
// - The frame is in the superview's coordinates, the bounds are at (0, 0) with
//   the frame's size; the origin is the bottom-left corner and y grows upwards.
// - Subviews are drawn in order, each above the ones before, clipped to their
//   superview's bounds. A superview owns its subviews; a subview knows its
//   superview by a plain pointer that removal clears.
// - A view may draw through a backing layer (setWantsLayer). The layer fills the
//   view's bounds under its subviews; its opacity and visibility apply to the
//   view and all its subviews as one group. The layer may be absent (a platform
//   without layer backing), and callers skip what they meant to do with it.
// - The frame cycle first runs layout() on every view that needs it, then
//   drawRect(bounds) on every view that needs display, parents before children.
//   A new view needs both; a change of size asks for both again; a move alone
//   asks for neither. drawRect is never called without a request.
//
// Views are created as std::shared_ptr (std::make_shared), so that delayed work
// can hold them weakly.

#include "platform/core/Geometry.h"
#include "platform/view/Layer.h"
#include "platform/view/RenderState.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace aerolune {

enum class Ordering { below = -1, above = 1 };

class View : public std::enable_shared_from_this<View> {
public:
    enum Change : std::uint8_t {
        placementChanged = 1,  // frame moved or resized
        contentChanged = 2,    // size changed, backing layer created or dropped
        subviewsChanged = 4,   // subviews added, removed or reordered
        descendantChanged = 8, // a subview changed
    };

    explicit View(const Rect& frame = {});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    const Rect& frame() const { return frame_; }
    void setFrame(const Rect& frame);
    Rect bounds() const { return Rect(Point{}, frame_.size); }

    View* superview() const { return superview_; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    // Appends the view on top of the existing subviews, taking it from its old place.
    void addSubview(std::shared_ptr<View> view);
    // Inserts the view directly below (or above) a sibling; without that
    // sibling, at the very bottom (or top).
    void addSubview(std::shared_ptr<View> view, Ordering place, const View* sibling);
    // Takes the view out of the tree at once; harmless when it is already out.
    void removeFromSuperview();
    bool isDescendantOf(const View& view) const;

    void setWantsLayer(bool wantsLayer);
    bool wantsLayer() const { return wantsLayer_; }
    // The backing layer, absent unless the view wants one and the platform has it.
    Layer* layer() const { return layer_.get(); }
    // Whether setWantsLayer(true) yields a layer: off to stand for a platform
    // without layer backing (tests of the code paths that then skip the layer).
    static void setBackingLayersAvailable(bool available);

    void setNeedsDisplay();
    void setNeedsDisplayInRect(const Rect& rect);
    bool needsDisplay() const { return needsDisplay_; }
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }

    // The layout pass calls this when the view needs layout. Overrides call the base first.
    virtual void layout() {}
    // The display pass calls this with the view's bounds when it needs display.
    virtual void drawRect(const Rect& dirtyRect) { (void)dirtyRect; }

    // The frame cycle's passes over this view and everything below it.
    void layoutSubtreeIfNeeded();
    void displayIfNeeded();

    // For the compositor.
    std::uint8_t changes() const { return changes_; }
    void settleChanges();
    RenderState* renderState() const { return renderState_.get(); }
    void setRenderState(std::unique_ptr<RenderState> state) { renderState_ = std::move(state); }

private:
    void invalidate(std::uint8_t change);
    void insertSubview(std::shared_ptr<View> view, std::size_t index);

    Rect frame_;
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    std::shared_ptr<Layer> layer_;
    std::unique_ptr<RenderState> renderState_;
    bool wantsLayer_ = false;
    bool needsDisplay_ = true;
    bool needsLayout_ = true;
    std::uint8_t changes_ = contentChanged;
};

} // namespace aerolune
