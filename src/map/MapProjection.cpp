#include "map/MapProjection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace aerolune {

namespace {

// cos(87 degrees): closer to a pole the view would span most of the globe.
constexpr double smallestShortening = 0.05;

} // namespace

MapProjection::MapProjection(CLLocationCoordinate2D centre, double width, double height,
                             double latitudeSpan)
    : centre_(centre), width_(width), height_(height),
      pixelsPerDegreeLatitude_(height / latitudeSpan),
      pixelsPerDegreeLongitude_(
          pixelsPerDegreeLatitude_ *
          std::max(smallestShortening, std::cos(centre.latitude * std::numbers::pi / 180))) {}

MapProjection::Pixel MapProjection::toPixel(double latitude, double longitude) const {
    return {width_ / 2 + (longitude - centre_.longitude) * pixelsPerDegreeLongitude_,
            height_ / 2 - (latitude - centre_.latitude) * pixelsPerDegreeLatitude_};
}

double MapProjection::nearestLongitude(double longitude) const {
    return centre_.longitude + std::remainder(longitude - centre_.longitude, 360.0);
}

double MapProjection::west() const {
    return centre_.longitude - width_ / 2 / pixelsPerDegreeLongitude_;
}

double MapProjection::east() const {
    return centre_.longitude + width_ / 2 / pixelsPerDegreeLongitude_;
}

double MapProjection::south() const {
    return centre_.latitude - height_ / 2 / pixelsPerDegreeLatitude_;
}

double MapProjection::north() const {
    return centre_.latitude + height_ / 2 / pixelsPerDegreeLatitude_;
}

bool MapProjection::contains(double latitude, double longitude) const {
    const double lon = nearestLongitude(longitude);
    return latitude >= south() && latitude <= north() && lon >= west() && lon <= east();
}

} // namespace aerolune
