#pragma once

// Told once when a sky transition view has walked through all its colours.

namespace aerolune {

class SkyTransitionViewDelegate {
public:
    virtual ~SkyTransitionViewDelegate() = default;
    virtual void skyTransitionViewDidComplete() = 0;
};

} // namespace aerolune
