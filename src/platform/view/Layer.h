#pragma once

// A rectangle the compositor draws: a background colour with rounded corners,
// then its sublayers in order, each above the ones before; sublayers are not
// clipped. Opacity and visibility apply to the layer and its sublayers as one
// group. The transform turns the layer about its centre; the frame is the
// extent after the transform (setting the frame of a quarter-turned layer swaps
// its width and height).
//
// Layers are built once and then changed through setters. A setter that really
// changes a value records what changed (changes()) and flags every ancestor, so
// that the compositor finds what to redraw without visiting the rest.
//
// layoutSublayers() runs in the layout pass of the frame that follows a change
// of the layer's size (layoutIfNeeded() runs it at once, for tests). Overrides
// call the base first.
//
// Keep this class small: a day sky holds some sixty thousand of them.

#include "platform/core/Color.h"
#include "platform/core/Geometry.h"
#include "platform/view/BasicAnimation.h"
#include "platform/view/LayerContentPainter.h"
#include "platform/view/RenderState.h"
#include "platform/view/Transform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aerolune {

class Layer {
public:
    // What changed since the compositor last settled the layer.
    enum Change : std::uint8_t {
        placementChanged = 1,  // position, transform, opacity or visibility
        contentChanged = 2,    // size, background, corner radius, or a subclass's content
        sublayersChanged = 4,  // sublayers added or removed
        descendantChanged = 8, // something below changed
        animated = 16,         // holds animations
        // A value the compositor compares with what it drew (gradient colours):
        // a visit is due, a redraw only if the shown value differs.
        presentationChanged = 32,
    };

    Layer();
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    Rect frame() const;
    void setFrame(const Rect& frame);
    // The untransformed rectangle, at (0, 0).
    Rect bounds() const { return Rect(Point{}, boundsSize()); }
    // The centre, in the superlayer's coordinates.
    Point position() const { return frame_.center(); }

    const Color& backgroundColor() const { return background_; }
    void setBackgroundColor(const Color& color);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    float opacity() const { return opacity_; }
    void setOpacity(float opacity);
    bool isHidden() const { return flags_ & hiddenFlag; }
    void setHidden(bool hidden);
    Transform transform() const { return extras_ ? extras_->transform : Transform(); }
    void setTransform(const Transform& transform);

    const std::vector<std::shared_ptr<Layer>>& sublayers() const {
        return extras_ ? extras_->sublayers : noSublayers;
    }
    Layer* superlayer() const { return superlayer_; }
    // Appends on top of the existing sublayers (taking the layer from its old place).
    void addSublayer(std::shared_ptr<Layer> layer);
    void insertSublayer(std::shared_ptr<Layer> layer, std::size_t index);
    void removeFromSuperlayer();

    virtual void layoutSublayers() {}
    void setNeedsLayout();
    bool needsLayout() const { return flags_ & needsLayoutFlag; }
    // Lays out this layer if needed, then every sublayer that needs it.
    void layoutIfNeeded();

    // Adds (or replaces) the animation under `key`; see BasicAnimation.
    void addAnimation(const BasicAnimation& animation, const std::string& key);
    // The animation under `key` unless it has ended by the current clock.
    const BasicAnimation* animationForKey(std::string_view key) const;
    std::vector<std::string> animationKeys() const;
    void removeAnimationForKey(std::string_view key);
    void removeAllAnimations();
    bool hasAnimations() const { return changes_ & animated; }
    // Forgets animations that have ended by `now`.
    void removeEndedAnimations(double now);

    // The opacity shown at `now` (monotonic seconds): an animation's value while
    // one runs, the model value otherwise.
    float presentationOpacity(double now) const;

    // What the kind of layer shows, asked by a renderer that draws it. The
    // colours of a gradient shown at `now` (monotonic seconds); none for a
    // layer that has no gradient.
    virtual std::vector<Color> presentationColors(double now) const;
    // Whether it shows its background and nothing else: a plain rectangle,
    // perhaps rounded, that a renderer may stamp or fill by its own means.
    virtual bool showsBackgroundOnly() const { return true; }
    // Whether it paints content of its own over its background (text), drawn
    // by paintContent through the painter for its kind.
    virtual bool paintsContent() const { return false; }
    virtual void paintContent(LayerContentPainter& painter, double alpha) const;

    // For the compositor.
    std::uint8_t changes() const { return changes_; }
    // Clears what this subtree recorded; keeps the marks of running animations
    // (and the flags that lead to them). Returns whether any mark remains.
    bool settleChanges();
    RenderState* renderState() const;
    void setRenderState(std::unique_ptr<RenderState> state);

protected:
    // For subclasses whose own content changed.
    void invalidate(std::uint8_t change);
    // The value an animation under `keyPath` shows at `now`, if one runs.
    std::optional<AnimationValue> animatedValue(std::string_view keyPath, double now) const;

private:
    enum Flag : std::uint8_t {
        hiddenFlag = 1,
        needsLayoutFlag = 2,
        descendantNeedsLayoutFlag = 4,
    };
    // What most layers (the puffs of a cloud) go without: the empty vector and
    // the identity would cost each of them a quarter of its size.
    struct Extras {
        std::vector<std::shared_ptr<Layer>> sublayers;
        Transform transform;
        // In the order added; a key appears at most once.
        std::vector<std::pair<std::string, std::shared_ptr<BasicAnimation>>> animations;
        std::unique_ptr<RenderState> renderState;
    };
    static const std::vector<std::shared_ptr<Layer>> noSublayers;

    Size boundsSize() const;
    void markDescendantNeedsLayout();
    Extras& extras();

    Layer* superlayer_ = nullptr;
    // As set, so that a frame reads back exactly; the bounds follow from it and
    // the transform.
    Rect frame_;
    Color background_;
    double cornerRadius_ = 0;
    float opacity_ = 1;
    std::uint8_t flags_ = 0;
    std::uint8_t changes_ = contentChanged;
    std::unique_ptr<Extras> extras_;
};

} // namespace aerolune
