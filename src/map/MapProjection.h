#pragma once

// The settings map's view of the world: a picture centred on a place, a
// fixed span of latitude over its height, and degrees of longitude shortened
// by cos(latitude) of the centre, so that the land near the centre keeps its
// shape. The longitude span follows from the picture's width; near the poles
// the shortening stops at a floor so the view stays finite.

#include "platform/core/CLLocationCoordinate2D.h"

namespace aerolune {

class MapProjection {
public:
    struct Pixel {
        double x;
        double y; // down from the top edge
    };

    MapProjection(CLLocationCoordinate2D centre, double width, double height, double latitudeSpan);

    // Without wrapping: callers pick the longitude nearest the centre first.
    Pixel toPixel(double latitude, double longitude) const;
    // longitude plus or minus 360 degrees, whichever lies nearest the centre.
    double nearestLongitude(double longitude) const;

    CLLocationCoordinate2D centre() const { return centre_; }
    double width() const { return width_; }
    double height() const { return height_; }
    double pixelsPerDegreeLatitude() const { return pixelsPerDegreeLatitude_; }
    double pixelsPerDegreeLongitude() const { return pixelsPerDegreeLongitude_; }
    // The box in view; west and east may lie beyond 180 degrees.
    double west() const;
    double east() const;
    double south() const;
    double north() const;
    bool contains(double latitude, double longitude) const;

private:
    CLLocationCoordinate2D centre_;
    double width_;
    double height_;
    double pixelsPerDegreeLatitude_;
    double pixelsPerDegreeLongitude_;
};

} // namespace aerolune
