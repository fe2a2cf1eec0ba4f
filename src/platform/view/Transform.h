#pragma once

// A layer's transform, limited to a rotation about the z axis through the
// layer's centre: positive angles turn counterclockwise (y grows upwards).

namespace aerolune {

class Transform {
public:
    constexpr Transform() = default;

    static constexpr Transform identity() { return {}; }
    // The rotation by `radians` about the axis (0, 0, 1).
    static constexpr Transform makeRotation(double radians) { return Transform(radians); }

    constexpr double angle() const { return angle_; }
    constexpr bool isIdentity() const { return angle_ == 0; }

    bool operator==(const Transform&) const = default;

private:
    constexpr explicit Transform(double radians) : angle_(radians) {}

    double angle_ = 0;
};

} // namespace aerolune
