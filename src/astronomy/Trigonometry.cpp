#include "astronomy/Trigonometry.h"

#include <cmath>

namespace aerolune {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kPi = 3.141592653589793;

} // namespace

double Trigonometry::sin(double degrees) {
    return std::sin(degrees * kRadiansPerDegree);
}

double Trigonometry::cos(double degrees) {
    return std::cos(degrees * kRadiansPerDegree);
}

// Multiplied first, then divided: the published values depend on this order.
double Trigonometry::asin(double value) {
    return std::asin(value) * 180.0 / kPi;
}

double Trigonometry::acos(double value) {
    return std::acos(value) * 180.0 / kPi;
}

} // namespace aerolune
