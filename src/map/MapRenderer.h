#pragma once

// The settings window's static map: a picture of the region 0.5 degrees of
// latitude high around a place, with sea, land and lakes from the shorelines,
// the borders, the gazetteer's nearby places as dots with the names of the
// largest, and a marker on the place itself at the centre.
//
// It draws into any Cairo context whose user space is the map's 200x100
// points (a GTK drawing area, or an image for tests and snapshots). Either
// data set may be missing; the map is then drawn without it.

#include "geocode/Gazetteer.h"
#include "map/MapProjection.h"
#include "map/Shoreline.h"
#include "platform/core/CLLocationCoordinate2D.h"

#include <cairo.h>
#include <memory>
#include <string_view>
#include <vector>

namespace aerolune {

class MapRenderer {
public:
    struct Colour {
        double red, green, blue;
    };
    struct SurfaceDeleter {
        void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    };
    using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

    static constexpr int width = 200;
    static constexpr int height = 100;
    static constexpr double latitudeSpan = 0.5;
    static constexpr Colour water{0.67, 0.80, 0.91};
    static constexpr Colour land{0.95, 0.93, 0.87};
    static constexpr Colour marker{0.85, 0.18, 0.15};
    static constexpr int maximumDots = 25;
    static constexpr int maximumLabels = 5;

    // The shared data of the data folder, where it loads.
    MapRenderer();
    MapRenderer(std::shared_ptr<const Shoreline> shoreline,
                std::shared_ptr<const Gazetteer> gazetteer);

    static MapProjection projection(CLLocationCoordinate2D centre);

    void draw(cairo_t* context, CLLocationCoordinate2D centre) const;
    // An ARGB32 image of width x height pixels times scale.
    Surface render(CLLocationCoordinate2D centre, int scale = 1) const;

private:
    void drawAreas(cairo_t* context, const MapProjection& view) const;
    void drawBorders(cairo_t* context, const MapProjection& view) const;
    void drawPlaces(cairo_t* context, const MapProjection& view) const;
    void drawMarker(cairo_t* context, const MapProjection& view) const;
    struct Box {
        double left, top, right, bottom;
        bool overlaps(const Box& other) const {
            return left < other.right && other.left < right && top < other.bottom &&
                   other.top < bottom;
        }
    };
    // Writes name beside a point, right or else left of it, unless it would
    // leave the map or cover a box already taken; true when written.
    bool drawLabel(cairo_t* context, std::string_view name, MapProjection::Pixel at, double gap,
                   std::vector<Box>& taken) const;
    // Calls visit(bin, longitude shift) for every bin that meets the view.
    template <class Visit> void forEachVisibleBin(const MapProjection& view, Visit visit) const;

    std::shared_ptr<const Shoreline> shoreline_;
    std::shared_ptr<const Gazetteer> gazetteer_;
};

} // namespace aerolune
