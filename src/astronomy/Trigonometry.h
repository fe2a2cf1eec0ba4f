#pragma once

// Sine, cosine, arcsine and arccosine in degrees, the unit of every constant of
// the sunrise equation. Arguments are not clamped: asin and acos of a value
// outside [-1, 1] give NaN, and callers that can produce such values test for
// them first.

namespace aerolune {

class Trigonometry {
public:
    Trigonometry() = delete;

    static double sin(double degrees);
    static double cos(double degrees);
    static double asin(double value);
    static double acos(double value);
};

} // namespace aerolune
