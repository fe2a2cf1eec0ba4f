#pragma once

// The abstract backdrop: a complete saver view that shows one full-size
// gradient walk at a time. When a walk ends, the next one starts from the
// colour the last one ended on, at once, and is sized by the draw that this
// view asks for, so the backdrop never stops drifting.
//
// The walk holds its delegate strongly. So that the backdrop and its walk do
// not keep each other alive for ever, the walk's delegate is a small relay
// that refers to the backdrop weakly.

#include "platform/view/ScreenSaverView.h"
#include "transitions/TransitionView.h"

#include <memory>

namespace aerolune {

class AbstractSaverView : public ScreenSaverView, public TransitionViewDelegate {
public:
    static std::shared_ptr<AbstractSaverView> create(const Rect& frame, bool isPreview);

    const std::shared_ptr<TransitionView>& transitionView() const { return transitionView_; }

    void startAnimation() override;
    void drawRect(const Rect& dirtyRect) override;
    void transitionViewDidComplete(std::optional<Color> lastColor) override;

    // Use create().
    AbstractSaverView(std::shared_ptr<TransitionView> transitionView, const Rect& frame,
                      bool isPreview);

private:
    void attachTransitionView();

    std::shared_ptr<TransitionView> transitionView_;
};

} // namespace aerolune
