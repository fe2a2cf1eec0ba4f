#pragma once

// Told when a gradient walk has run out, with the colour it ended on (none for
// a walk without colours).

#include "platform/core/Color.h"

#include <optional>

namespace aerolune {

class TransitionViewDelegate {
public:
    virtual ~TransitionViewDelegate() = default;
    virtual void transitionViewDidComplete(std::optional<Color> lastColor) = 0;
};

} // namespace aerolune
