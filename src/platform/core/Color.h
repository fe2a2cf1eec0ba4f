#pragma once

// An immutable RGBA colour with four components from 0.0 to 1.0, not
// premultiplied. Two colours are equal when their four components are equal.

namespace aerolune {

class Color {
public:
    // Fully transparent black, the colour of a layer that has none.
    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double alpha = 1.0)
        : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

    constexpr double red() const { return red_; }
    constexpr double green() const { return green_; }
    constexpr double blue() const { return blue_; }
    constexpr double alpha() const { return alpha_; }

    // The colour a fraction t of the way from this one to another, every
    // component blended linearly (t = 0 gives this colour, t = 1 the other).
    constexpr Color interpolated(const Color& to, double t) const {
        return Color(red_ + (to.red_ - red_) * t, green_ + (to.green_ - green_) * t,
                     blue_ + (to.blue_ - blue_) * t, alpha_ + (to.alpha_ - alpha_) * t);
    }

    bool operator==(const Color&) const = default;

private:
    double red_ = 0;
    double green_ = 0;
    double blue_ = 0;
    double alpha_ = 0;
};

} // namespace aerolune
