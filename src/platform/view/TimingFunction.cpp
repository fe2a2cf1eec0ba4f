#include "platform/view/TimingFunction.h"

#include <algorithm>
#include <cmath>

namespace aerolune {
namespace {

struct Bezier {
    double x1, y1, x2, y2;

    // One coordinate of the curve at parameter t, with the end points at 0 and 1.
    static double at(double p1, double p2, double t) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    }
    static double slope(double p1, double p2, double t) {
        const double u = 1 - t;
        return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
    }

    // The parameter whose x is `x`: Newton's method from a good start, with a
    // bisection to fall back on where the slope is flat. x(t) rises monotonically
    // because both control points lie inside the unit square.
    double parameterFor(double x) const {
        double t = x;
        for (int i = 0; i < 8; ++i) {
            const double error = at(x1, x2, t) - x;
            if (std::abs(error) < 1e-12)
                return t;
            const double d = slope(x1, x2, t);
            if (std::abs(d) < 1e-9)
                break;
            t = std::clamp(t - error / d, 0.0, 1.0);
        }
        double low = 0, high = 1;
        t = x;
        for (int i = 0; i < 60; ++i) {
            const double value = at(x1, x2, t);
            if (std::abs(value - x) < 1e-12)
                break;
            (value < x ? low : high) = t;
            t = (low + high) / 2;
        }
        return t;
    }

    double valueAt(double x) const { return at(y1, y2, parameterFor(x)); }
};

Bezier curveOf(TimingFunction function) {
    switch (function) {
    case TimingFunction::linear:
        return {0, 0, 1, 1};
    case TimingFunction::easeIn:
        return {0.42, 0, 1, 1};
    case TimingFunction::easeOut:
        return {0, 0, 0.58, 1};
    case TimingFunction::easeInEaseOut:
        return {0.42, 0, 0.58, 1};
    }
    return {0, 0, 1, 1};
}

} // namespace

double ease(TimingFunction function, double progress) {
    if (!(progress > 0))
        return 0;
    if (progress >= 1)
        return 1;
    if (function == TimingFunction::linear)
        return progress;
    return curveOf(function).valueAt(progress);
}

} // namespace aerolune
