#pragma once

// The step both gradient walks share. Step k of a walk through n colours moves
// the layer's two colours from what they are now to [c(k), c(k+1)], or to the
// last colour twice on the last step, over `duration` seconds eased in and out.
// The layer's model value is set to the target first, so that it keeps the
// target once the animation has run out.

#include "platform/core/Color.h"
#include "platform/view/GradientLayer.h"

#include <vector>

namespace aerolune {

// Whether `step` still has colours to walk to; from step n on the walk is over.
bool hasGradientStep(const std::vector<Color>& colors, int step);

// The pair step `step` ends on. Only for steps that exist (hasGradientStep).
std::vector<Color> gradientStepTarget(const std::vector<Color>& colors, int step);

// Animates the layer to the target of `step`. Only for steps that exist.
void animateGradientStep(GradientLayer& layer, const std::vector<Color>& colors, int step,
                         double duration);

} // namespace aerolune
