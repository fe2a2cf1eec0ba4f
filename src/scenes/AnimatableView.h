#pragma once

// A view that moves from frame to frame. Only views of the NativeKitView
// family can be animatable, so anything held as an AnimatableView can also be
// placed in a view tree and sized.

#include "scenes/NativeKitView.h"

namespace aerolune {

class AnimatableView : public NativeKitView {
public:
    using NativeKitView::NativeKitView;

    // One frame's step; called once per host tick on the current sky view only.
    virtual void animate() = 0;
};

} // namespace aerolune
