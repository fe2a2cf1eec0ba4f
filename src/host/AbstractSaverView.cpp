#include "host/AbstractSaverView.h"

#include <utility>

namespace aerolune {
namespace {

// Passes a walk's completion on to the backdrop while the backdrop exists.
class WeakTransitionViewDelegate final : public TransitionViewDelegate {
public:
    explicit WeakTransitionViewDelegate(std::weak_ptr<TransitionViewDelegate> target)
        : target_(std::move(target)) {}

    void transitionViewDidComplete(std::optional<Color> lastColor) override {
        if (auto target = target_.lock())
            target->transitionViewDidComplete(lastColor);
    }

private:
    std::weak_ptr<TransitionViewDelegate> target_;
};

} // namespace

std::shared_ptr<AbstractSaverView> AbstractSaverView::create(const Rect& frame, bool isPreview) {
    auto first = std::make_shared<TransitionView>(std::nullopt);
    if (!isUsableFrame(frame))
        return nullptr;
    auto view = std::make_shared<AbstractSaverView>(std::move(first), frame, isPreview);
    view->attachTransitionView();
    return view;
}

AbstractSaverView::AbstractSaverView(std::shared_ptr<TransitionView> transitionView,
                                     const Rect& frame, bool isPreview)
    : ScreenSaverView(frame, isPreview), transitionView_(std::move(transitionView)) {}

void AbstractSaverView::startAnimation() {
    ScreenSaverView::startAnimation();
    transitionView_->start();
    setNeedsDisplayInRect(bounds());
}

void AbstractSaverView::drawRect(const Rect& dirtyRect) {
    ScreenSaverView::drawRect(dirtyRect);
    transitionView_->setFrame(bounds());
}

void AbstractSaverView::transitionViewDidComplete(std::optional<Color> lastColor) {
    auto successor = std::make_shared<TransitionView>(lastColor);
    transitionView_->removeFromSuperview();
    transitionView_ = std::move(successor);
    attachTransitionView();
    // Without this the backdrop would stand still once the first walk is over:
    // nothing else starts or sizes a successor while the saver runs.
    transitionView_->setFrame(bounds());
    if (isAnimating())
        transitionView_->start();
    setNeedsDisplayInRect(bounds());
}

void AbstractSaverView::attachTransitionView() {
    auto self = std::static_pointer_cast<AbstractSaverView>(shared_from_this());
    transitionView_->setDelegate(std::make_shared<WeakTransitionViewDelegate>(
        std::static_pointer_cast<TransitionViewDelegate>(self)));
    addSubview(transitionView_);
}

} // namespace aerolune
