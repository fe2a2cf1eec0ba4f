#include "platform/core/Geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace aerolune {
namespace {

std::string number(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

Rect Rect::null() {
    constexpr double far = std::numeric_limits<double>::infinity();
    return Rect(far, far, 0, 0);
}

bool Rect::isNull() const {
    return std::isinf(origin.x) || std::isinf(origin.y);
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull())
        return *this;
    const Rect inset(origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy);
    if (inset.size.width < 0 || inset.size.height < 0)
        return null();
    return inset;
}

Rect Rect::offsetBy(double dx, double dy) const {
    return isNull() ? *this : Rect(origin.x + dx, origin.y + dy, size.width, size.height);
}

Rect Rect::united(const Rect& other) const {
    if (isNull() || isEmpty())
        return other;
    if (other.isNull() || other.isEmpty())
        return *this;
    const double x0 = std::min(minX(), other.minX());
    const double y0 = std::min(minY(), other.minY());
    return Rect(x0, y0, std::max(maxX(), other.maxX()) - x0, std::max(maxY(), other.maxY()) - y0);
}

Rect Rect::intersection(const Rect& other) const {
    if (!intersects(other))
        return null();
    const double x0 = std::max(minX(), other.minX());
    const double y0 = std::max(minY(), other.minY());
    return Rect(x0, y0, std::min(maxX(), other.maxX()) - x0, std::min(maxY(), other.maxY()) - y0);
}

bool Rect::intersects(const Rect& other) const {
    if (isNull() || other.isNull() || isEmpty() || other.isEmpty())
        return false;
    return minX() < other.maxX() && other.minX() < maxX() && minY() < other.maxY() &&
           other.minY() < maxY();
}

bool Rect::contains(Point point) const {
    return !isNull() && point.x >= minX() && point.x < maxX() && point.y >= minY() &&
           point.y < maxY();
}

std::string describe(const Rect& rect) {
    return "{{" + number(rect.origin.x) + ", " + number(rect.origin.y) + "}, {" +
           number(rect.size.width) + ", " + number(rect.size.height) + "}}";
}

} // namespace aerolune
