#pragma once

// The sky while the sun rises or sets: a two-colour gradient that walks the
// palette's sunrise or sunset list one pair of neighbours at a time, each step
// a 240-second eased change, then tells its delegate once.
//
// The first animate() starts the walk; every later one does nothing, so the
// steps follow their own 240-second timers, not the frame rate. Timeline from
// that first call: step k begins at k x 240 s and the delegate is told at
// n x 240 s for n colours (1,200 s for a sunrise, 1,680 s for a sunset).
//
// A sunrise turns the gradient by a half turn, so that the newer colour of each
// pair rises from the bottom; a sunset's newer colour comes down from the top.
//
// The pending step holds the view weakly: a view released before its walk ends
// neither animates further nor tells anyone. The delegate is held weakly too.

#include "platform/view/GradientLayer.h"
#include "scenes/AnimatableView.h"
#include "transitions/SkyTransitionViewDelegate.h"

#include <memory>
#include <utility>
#include <vector>

namespace aerolune {

class SkyTransitionView : public AnimatableView {
public:
    enum class SkyTransitionType { sunrise, sunset };

    static constexpr int stepSeconds = 240;

    // A view with a zero frame; its owner sizes it. Create it with
    // std::make_shared: the steps find it through a weak reference.
    explicit SkyTransitionView(SkyTransitionType type);

    std::shared_ptr<SkyTransitionViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<SkyTransitionViewDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    SkyTransitionType type() const { return type_; }
    bool hasStarted() const { return hasStarted_; }
    bool isComplete() const { return isComplete_; }
    const GradientLayer& gradientLayer() const { return *gradientLayer_; }
    const std::vector<Color>& gradientColors() const { return gradientColors_; }

    // Starts the walk on the first call; does nothing afterwards.
    void animate() override;
    // Sizes the gradient to the view; the only place it is sized.
    void drawRect(const Rect& dirtyRect) override;

private:
    void runStep(int step);

    std::weak_ptr<SkyTransitionViewDelegate> delegate_;
    SkyTransitionType type_;
    bool hasStarted_ = false;
    bool isComplete_ = false;
    std::shared_ptr<GradientLayer> gradientLayer_ = std::make_shared<GradientLayer>();
    std::vector<Color> gradientColors_;
};

} // namespace aerolune
