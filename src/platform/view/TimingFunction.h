#pragma once

// How an animation's progress through its duration maps to progress through
// its values. Each named curve is a cubic Bezier from (0, 0) to (1, 1) with two
// control points, as the platform defines them: ease-in-ease-out is
// (0.42, 0) (0.58, 1).

namespace aerolune {

enum class TimingFunction { linear, easeIn, easeOut, easeInEaseOut };

// The eased progress for a linear progress in [0, 1]; values outside are
// clamped. The ends are exact: 0 gives 0 and 1 gives 1.
double ease(TimingFunction function, double progress);

} // namespace aerolune
