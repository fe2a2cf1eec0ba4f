#pragma once

// The abstract backdrop's gradient: it walks the palette's 31 colours, less the
// colour it starts from, in a random order, one pair of neighbours at a time,
// turned by a random quarter turn, and tells its delegate the colour it ended
// on so that the next walk can start from there. The order and the turn come
// from the backdrop's own random source, which the scenes' frames never touch.
//
// start() begins the walk (once). Step 0 takes 60 s, every later step 240 s;
// step k >= 1 begins at 60 + (k - 1) x 240 s and the walk completes at
// 60 + (n - 1) x 240 s for n colours (7,260 s for 31, 7,020 s for 30).
//
// Completion is the change of isComplete to true, which tells the delegate.
// The delegate is held strongly; the pending step holds the view weakly, so a
// released view neither animates further nor tells anyone.

#include "platform/view/GradientLayer.h"
#include "scenes/NativeKitView.h"
#include "transitions/TransitionViewDelegate.h"

#include <array>
#include <memory>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

namespace aerolune {

class TransitionView : public NativeKitView {
public:
    static constexpr int firstStepSeconds = 60;
    static constexpr int stepSeconds = 240;
    // The four turns of the gradient, counterclockwise: the first colour of a
    // pair at the bottom, the right, the top or the left edge.
    static constexpr std::array<double, 4> orientations{0, std::numbers::pi / 2, std::numbers::pi,
                                                        3 * std::numbers::pi / 2};

    // A view with a zero frame; its owner sizes it. Create it with
    // std::make_shared: the steps find it through a weak reference.
    explicit TransitionView(std::optional<Color> startColor);

    const std::shared_ptr<TransitionViewDelegate>& delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<TransitionViewDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    bool isComplete() const { return isComplete_; }
    bool hasStarted() const { return hasStarted_; }
    const GradientLayer& gradientLayer() const { return *gradientLayer_; }
    const std::vector<Color>& gradientColors() const { return gradientColors_; }

    // Begins the walk on the first call; does nothing afterwards.
    void start();
    // Sizes the gradient so that, turned, it covers the view exactly; the only
    // place it is sized.
    void drawRect(const Rect& dirtyRect) override;

private:
    void runStep(int step);
    // Tells the delegate on every change to true.
    void setIsComplete(bool complete);

    std::shared_ptr<TransitionViewDelegate> delegate_;
    bool isComplete_ = false;
    std::shared_ptr<GradientLayer> gradientLayer_ = std::make_shared<GradientLayer>();
    std::vector<Color> gradientColors_;
    bool hasStarted_ = false;
};

} // namespace aerolune
