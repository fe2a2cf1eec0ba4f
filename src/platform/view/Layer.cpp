#include "platform/view/Layer.h"

#include "platform/core/Clock.h"
#include "platform/view/Transaction.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace aerolune {

const std::vector<std::shared_ptr<Layer>> Layer::noSublayers;

namespace {

// |cos| and |sin| of an angle, with the tiny remainders of quarter turns
// (cos(pi/2) is 6e-17, not 0) taken as zero so that quarter turns swap sizes exactly.
std::pair<double, double> turn(double angle) {
    double c = std::abs(std::cos(angle));
    double s = std::abs(std::sin(angle));
    if (c < 1e-12)
        c = 0;
    if (s < 1e-12)
        s = 0;
    return {c, s};
}

Size extentAfter(Size size, double angle) {
    const auto [c, s] = turn(angle);
    return {c * size.width + s * size.height, s * size.width + c * size.height};
}

// The untransformed size whose extent after the turn is `extent`. Where no exact
// answer exists (near a turn of 45 degrees), the extent of the inverse turn.
Size sizeBefore(Size extent, double angle) {
    const auto [c, s] = turn(angle);
    if (s == 0)
        return extent;
    if (c == 0)
        return {extent.height, extent.width};
    const double det = c * c - s * s;
    if (std::abs(det) < 1e-6)
        return extentAfter(extent, -angle);
    return {(c * extent.width - s * extent.height) / det,
            (c * extent.height - s * extent.width) / det};
}

} // namespace

Layer::Layer() = default;

Layer::~Layer() {
    for (const auto& sublayer : sublayers())
        sublayer->superlayer_ = nullptr;
}

Rect Layer::frame() const {
    return frame_;
}

Size Layer::boundsSize() const {
    const Transform turned = transform();
    return turned.isIdentity() ? frame_.size : sizeBefore(frame_.size, turned.angle());
}

void Layer::setFrame(const Rect& frame) {
    if (frame == frame_)
        return;
    const Size oldSize = boundsSize();
    frame_ = frame;
    std::uint8_t change = placementChanged;
    if (boundsSize() != oldSize) {
        change |= contentChanged;
        setNeedsLayout();
    }
    invalidate(change);
}

void Layer::setBackgroundColor(const Color& color) {
    if (color == background_)
        return;
    background_ = color;
    invalidate(contentChanged);
}

void Layer::setCornerRadius(double radius) {
    if (radius == cornerRadius_)
        return;
    cornerRadius_ = radius;
    invalidate(contentChanged);
}

void Layer::setOpacity(float opacity) {
    if (opacity == opacity_)
        return;
    opacity_ = opacity;
    invalidate(placementChanged);
}

void Layer::setHidden(bool hidden) {
    if (hidden == isHidden())
        return;
    flags_ = hidden ? (flags_ | hiddenFlag) : (flags_ & ~hiddenFlag);
    invalidate(placementChanged);
}

void Layer::setTransform(const Transform& transform) {
    if (transform == this->transform())
        return;
    // The layer keeps its centre and its untransformed size; its extent turns.
    const Size size = boundsSize();
    const Point centre = frame_.center();
    extras().transform = transform;
    const Size extent = transform.isIdentity() ? size : extentAfter(size, transform.angle());
    frame_ = Rect(centre.x - extent.width / 2, centre.y - extent.height / 2, extent.width,
                  extent.height);
    invalidate(placementChanged);
}

void Layer::addSublayer(std::shared_ptr<Layer> layer) {
    insertSublayer(std::move(layer), sublayers().size() + 1);
}

void Layer::insertSublayer(std::shared_ptr<Layer> layer, std::size_t index) {
    if (!layer || layer.get() == this)
        return;
    for (const Layer* ancestor = superlayer_; ancestor; ancestor = ancestor->superlayer_)
        if (ancestor == layer.get())
            return;
    if (layer->superlayer_)
        layer->removeFromSuperlayer();
    layer->superlayer_ = this;
    const bool layoutPending = layer->flags_ & (needsLayoutFlag | descendantNeedsLayoutFlag);
    auto& sublayers = extras().sublayers;
    sublayers.insert(sublayers.begin() + std::min(index, sublayers.size()), std::move(layer));
    invalidate(sublayersChanged | descendantChanged);
    if (layoutPending)
        markDescendantNeedsLayout();
}

void Layer::removeFromSuperlayer() {
    Layer* parent = superlayer_;
    if (!parent)
        return;
    auto& siblings = parent->extras().sublayers;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const auto& sibling) { return sibling.get() == this; });
    superlayer_ = nullptr;
    parent->invalidate(sublayersChanged);
    if (it == siblings.end())
        return;
    // The parent may hold the last reference: keep the layer alive until the end.
    const std::shared_ptr<Layer> self = std::move(*it);
    siblings.erase(it);
}

void Layer::setNeedsLayout() {
    if (needsLayout())
        return;
    flags_ |= needsLayoutFlag;
    if (superlayer_)
        superlayer_->markDescendantNeedsLayout();
}

void Layer::markDescendantNeedsLayout() {
    for (Layer* layer = this; layer && !(layer->flags_ & descendantNeedsLayoutFlag);
         layer = layer->superlayer_)
        layer->flags_ |= descendantNeedsLayoutFlag;
}

void Layer::layoutIfNeeded() {
    if (flags_ & needsLayoutFlag) {
        flags_ &= ~needsLayoutFlag;
        layoutSublayers();
    }
    if (flags_ & descendantNeedsLayoutFlag) {
        flags_ &= ~descendantNeedsLayoutFlag;
        // A copy: layout may add or remove sublayers.
        const auto sublayers = this->sublayers();
        for (const auto& sublayer : sublayers)
            if (sublayer->superlayer_ == this)
                sublayer->layoutIfNeeded();
    }
}

Layer::Extras& Layer::extras() {
    if (!extras_)
        extras_ = std::make_unique<Extras>();
    return *extras_;
}

void Layer::addAnimation(const BasicAnimation& animation, const std::string& key) {
    auto copy = std::make_shared<BasicAnimation>(animation);
    Transaction::adopt(copy);
    auto& animations = extras().animations;
    std::erase_if(animations, [&key](const auto& entry) { return entry.first == key; });
    animations.emplace_back(key, std::move(copy));
    invalidate(animated);
}

const BasicAnimation* Layer::animationForKey(std::string_view key) const {
    if (!extras_)
        return nullptr;
    const double now = Clock::current().monotonic();
    for (const auto& [name, animation] : extras_->animations)
        if (name == key && !animation->hasEnded(now))
            return animation.get();
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    if (!extras_)
        return keys;
    const double now = Clock::current().monotonic();
    for (const auto& [name, animation] : extras_->animations)
        if (!animation->hasEnded(now))
            keys.push_back(name);
    return keys;
}

void Layer::removeAnimationForKey(std::string_view key) {
    if (!extras_)
        return;
    const auto removed =
        std::erase_if(extras_->animations, [key](const auto& entry) { return entry.first == key; });
    if (removed)
        invalidate(placementChanged | contentChanged);
    if (extras_->animations.empty())
        changes_ &= ~animated;
}

void Layer::removeAllAnimations() {
    if (!extras_ || extras_->animations.empty())
        return;
    extras_->animations.clear();
    changes_ &= ~animated;
    invalidate(placementChanged | contentChanged);
}

void Layer::removeEndedAnimations(double now) {
    if (!extras_)
        return;
    std::erase_if(extras_->animations,
                  [now](const auto& entry) { return entry.second->hasEnded(now); });
    if (extras_->animations.empty())
        changes_ &= ~animated;
}

std::optional<AnimationValue> Layer::animatedValue(std::string_view keyPath, double now) const {
    if (!extras_)
        return std::nullopt;
    const auto& animations = extras_->animations;
    for (auto it = animations.rbegin(); it != animations.rend(); ++it)
        if (it->second->keyPath() == keyPath && !it->second->hasEnded(now))
            return it->second->valueAt(now);
    return std::nullopt;
}

float Layer::presentationOpacity(double now) const {
    if (const auto value = animatedValue("opacity", now))
        if (const auto* number = std::get_if<double>(&*value))
            return static_cast<float>(*number);
    return opacity_;
}

std::vector<Color> Layer::presentationColors(double) const {
    return {};
}

void Layer::paintContent(LayerContentPainter&, double) const {}

bool Layer::settleChanges() {
    bool descendantKept = false;
    if (changes_ & descendantChanged)
        for (const auto& sublayer : sublayers())
            if (sublayer->changes_ && sublayer->settleChanges())
                descendantKept = true;
    const bool animating = extras_ && !extras_->animations.empty();
    changes_ = static_cast<std::uint8_t>((animating ? animated : 0) |
                                         (descendantKept ? descendantChanged : 0));
    return changes_ != 0;
}

RenderState* Layer::renderState() const {
    return extras_ ? extras_->renderState.get() : nullptr;
}

void Layer::setRenderState(std::unique_ptr<RenderState> state) {
    if (!state && !extras_)
        return;
    extras().renderState = std::move(state);
}

void Layer::invalidate(std::uint8_t change) {
    changes_ |= change;
    for (Layer* layer = superlayer_; layer && !(layer->changes_ & descendantChanged);
         layer = layer->superlayer_)
        layer->changes_ |= descendantChanged;
}

} // namespace aerolune
