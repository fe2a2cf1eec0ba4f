#include "platform/view/View.h"

#include <algorithm>

namespace aerolune {
namespace {

bool& backingLayersAvailable() {
    static bool available = true;
    return available;
}

} // namespace

View::View(const Rect& frame) : frame_(frame) {}

View::~View() {
    for (auto& subview : subviews_)
        subview->superview_ = nullptr;
}

void View::setFrame(const Rect& frame) {
    if (frame == frame_)
        return;
    const bool resized = frame.size != frame_.size;
    frame_ = frame;
    if (layer_)
        layer_->setFrame(frame);
    if (resized) {
        needsLayout_ = true;
        needsDisplay_ = true;
    }
    invalidate(resized ? placementChanged | contentChanged : placementChanged);
}

void View::addSubview(std::shared_ptr<View> view) {
    insertSubview(std::move(view), subviews_.size() + 1);
}

void View::addSubview(std::shared_ptr<View> view, Ordering place, const View* sibling) {
    if (!view)
        return;
    if (view->superview_ == this)
        view->removeFromSuperview();
    const auto it =
        std::find_if(subviews_.begin(), subviews_.end(),
                     [sibling](const auto& subview) { return subview.get() == sibling; });
    std::size_t index = 0;
    if (it != subviews_.end())
        index =
            static_cast<std::size_t>(it - subviews_.begin()) + (place == Ordering::above ? 1 : 0);
    else if (place == Ordering::above)
        index = subviews_.size();
    insertSubview(std::move(view), index);
}

void View::insertSubview(std::shared_ptr<View> view, std::size_t index) {
    if (!view || view.get() == this || isDescendantOf(*view))
        return;
    view->removeFromSuperview();
    view->superview_ = this;
    subviews_.insert(subviews_.begin() + std::min(index, subviews_.size()), std::move(view));
    invalidate(subviewsChanged | descendantChanged);
}

void View::removeFromSuperview() {
    View* parent = superview_;
    if (!parent)
        return;
    auto& siblings = parent->subviews_;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const auto& sibling) { return sibling.get() == this; });
    superview_ = nullptr;
    parent->invalidate(subviewsChanged);
    if (it == siblings.end())
        return;
    // The superview may hold the last reference: keep the view alive until the end.
    const std::shared_ptr<View> self = std::move(*it);
    siblings.erase(it);
}

bool View::isDescendantOf(const View& view) const {
    for (const View* ancestor = this; ancestor; ancestor = ancestor->superview_)
        if (ancestor == &view)
            return true;
    return false;
}

void View::setWantsLayer(bool wantsLayer) {
    if (wantsLayer == wantsLayer_)
        return;
    wantsLayer_ = wantsLayer;
    if (wantsLayer && backingLayersAvailable()) {
        layer_ = std::make_shared<Layer>();
        layer_->setFrame(frame_);
    } else {
        layer_.reset();
    }
    invalidate(contentChanged);
}

void View::setBackingLayersAvailable(bool available) {
    backingLayersAvailable() = available;
}

void View::setNeedsDisplay() {
    needsDisplay_ = true;
}

void View::setNeedsDisplayInRect(const Rect& rect) {
    (void)rect; // drawing always covers the whole bounds
    needsDisplay_ = true;
}

void View::setNeedsLayout() {
    needsLayout_ = true;
}

void View::layoutSubtreeIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layout();
    }
    if (layer_)
        layer_->layoutIfNeeded();
    // A copy: layout may add or remove subviews.
    const auto subviews = subviews_;
    for (const auto& subview : subviews)
        if (subview->superview_ == this)
            subview->layoutSubtreeIfNeeded();
}

void View::displayIfNeeded() {
    if (needsLayout_) {
        // Resized by its superview's draw in this same pass.
        needsLayout_ = false;
        layout();
    }
    if (needsDisplay_) {
        needsDisplay_ = false;
        drawRect(bounds());
    }
    if (layer_)
        layer_->layoutIfNeeded();
    const auto subviews = subviews_;
    for (const auto& subview : subviews)
        if (subview->superview_ == this)
            subview->displayIfNeeded();
}

void View::settleChanges() {
    changes_ = 0;
    for (const auto& subview : subviews_)
        subview->settleChanges();
}

void View::invalidate(std::uint8_t change) {
    changes_ |= change;
    for (View* view = superview_; view && !(view->changes_ & descendantChanged);
         view = view->superview_)
        view->changes_ |= descendantChanged;
}

} // namespace aerolune
