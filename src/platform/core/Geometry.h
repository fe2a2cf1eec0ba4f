#pragma once

// Points, sizes and rectangles in points. Coordinates are not flipped: the
// origin of a rectangle is its bottom-left corner and y grows upwards.

#include <string>

namespace aerolune {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point origin, Size size) : origin(origin), size(size) {}
    constexpr Rect(double x, double y, double width, double height)
        : origin{x, y}, size{width, height} {}

    // The rectangle that stands for "no rectangle at all", as an inset larger
    // than the rectangle yields: infinitely far away and without area.
    static Rect null();
    bool isNull() const;
    bool isEmpty() const { return !(size.width > 0 && size.height > 0); }

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    Point center() const { return {origin.x + size.width / 2, origin.y + size.height / 2}; }

    // Moves every edge inwards by dx horizontally and dy vertically; null when
    // that leaves a negative width or height.
    Rect insetBy(double dx, double dy) const;
    Rect offsetBy(double dx, double dy) const;
    // The smallest rectangle holding both; a null or empty side is ignored.
    Rect united(const Rect& other) const;
    Rect intersection(const Rect& other) const;
    bool intersects(const Rect& other) const;
    bool contains(Point point) const;

    bool operator==(const Rect&) const = default;
};

// The platform's textual rendering of a rectangle: "{{0, 0}, {1920, 1080}}".
std::string describe(const Rect& rect);

} // namespace aerolune
