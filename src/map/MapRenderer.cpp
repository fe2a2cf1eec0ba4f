#include "map/MapRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace aerolune {

namespace {

constexpr MapRenderer::Colour borderColour{0.45, 0.42, 0.45};
constexpr MapRenderer::Colour dotColour{0.30, 0.30, 0.32};
constexpr MapRenderer::Colour labelColour{0.15, 0.15, 0.18};
constexpr double labelSize = 9;
constexpr double markerRadius = 4;
constexpr double markerClearance = 6;

void setColour(cairo_t* context, MapRenderer::Colour colour) {
    cairo_set_source_rgb(context, colour.red, colour.green, colour.blue);
}

MapRenderer::Colour levelColour(int level) {
    return level % 2 == 1 ? MapRenderer::land : MapRenderer::water;
}

} // namespace

MapRenderer::MapRenderer()
    : MapRenderer(Shoreline::shared().valueOr(nullptr), Gazetteer::shared().valueOr(nullptr)) {}

MapRenderer::MapRenderer(std::shared_ptr<const Shoreline> shoreline,
                         std::shared_ptr<const Gazetteer> gazetteer)
    : shoreline_(std::move(shoreline)), gazetteer_(std::move(gazetteer)) {}

MapProjection MapRenderer::projection(CLLocationCoordinate2D centre) {
    return MapProjection(centre, width, height, latitudeSpan);
}

void MapRenderer::draw(cairo_t* context, CLLocationCoordinate2D centre) const {
    const auto view = projection(centre);
    cairo_save(context);
    cairo_rectangle(context, 0, 0, width, height);
    cairo_clip(context);
    setColour(context, water);
    cairo_paint(context);
    drawAreas(context, view);
    drawBorders(context, view);
    drawPlaces(context, view);
    drawMarker(context, view);
    cairo_restore(context);
}

MapRenderer::Surface MapRenderer::render(CLLocationCoordinate2D centre, int scale) const {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale));
    cairo_t* context = cairo_create(surface.get());
    cairo_scale(context, scale, scale);
    draw(context, centre);
    cairo_destroy(context);
    cairo_surface_flush(surface.get());
    return surface;
}

template <class Visit>
void MapRenderer::forEachVisibleBin(const MapProjection& view, Visit visit) const {
    const auto& s = *shoreline_;
    const double size = s.binDegrees();
    const int firstRow = std::max(0, int(std::floor((view.south() + 90) / size)));
    const int lastRow = std::min(s.rows() - 1, int(std::floor((view.north() + 90) / size)));
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < s.columns(); ++column) {
            const double west = view.nearestLongitude(s.binWest(column) + size / 2) - size / 2;
            if (west < view.east() && west + size > view.west())
                visit(row, column, west - s.binWest(column));
        }
    }
}

// Each level is one path filled with the non-zero rule: the whole of every
// bin at that level or above, and every ring of that level. Bins and rings
// run the same way round, so where bins meet there is no seam.
void MapRenderer::drawAreas(cairo_t* context, const MapProjection& view) const {
    if (!shoreline_)
        return;
    const auto& s = *shoreline_;
    cairo_set_fill_rule(context, CAIRO_FILL_RULE_WINDING);
    for (int level = 1; level <= Shoreline::maximumLevel; ++level) {
        cairo_new_path(context);
        forEachVisibleBin(view, [&](int row, int column, double shift) {
            const auto& bin = s.bin(row, column);
            if (bin.baseLevel >= level) {
                cairo_new_sub_path(context);
                const double west = s.binWest(column) + shift, south = s.binSouth(row);
                const double east = west + s.binDegrees(), north = south + s.binDegrees();
                for (const auto& [lat, lon] :
                     {std::pair{south, west}, {south, east}, {north, east}, {north, west}}) {
                    const auto pixel = view.toPixel(lat, lon);
                    cairo_line_to(context, pixel.x, pixel.y);
                }
                cairo_close_path(context);
            }
            for (const auto& ring : s.rings(bin)) {
                if (ring.level != level)
                    continue;
                cairo_new_sub_path(context);
                for (const auto& point : s.ringPoints(ring)) {
                    const auto pixel = view.toPixel(point.latitude, point.longitude + shift);
                    cairo_line_to(context, pixel.x, pixel.y);
                }
                cairo_close_path(context);
            }
        });
        setColour(context, levelColour(level));
        cairo_fill(context);
    }
}

void MapRenderer::drawBorders(cairo_t* context, const MapProjection& view) const {
    if (!shoreline_)
        return;
    const auto& s = *shoreline_;
    for (const int level : {2, 1}) {
        cairo_new_path(context);
        forEachVisibleBin(view, [&](int row, int column, double shift) {
            for (const auto& line : s.lines(s.bin(row, column))) {
                if (line.level != level)
                    continue;
                cairo_new_sub_path(context);
                for (const auto& point : s.linePoints(line)) {
                    const auto pixel = view.toPixel(point.latitude, point.longitude + shift);
                    cairo_line_to(context, pixel.x, pixel.y);
                }
            }
        });
        setColour(context, borderColour);
        const double dash[] = {3, 2};
        cairo_set_dash(context, dash, level == 1 ? 0 : 2, 0);
        cairo_set_line_width(context, level == 1 ? 1.0 : 0.7);
        cairo_stroke(context);
    }
    cairo_set_dash(context, nullptr, 0, 0);
}

// The largest places in view get a dot, and the largest of those a name
// where it fits beside the dot without covering another name or the marker.
// A place under the marker (usually the one looked up) is named beside it.
void MapRenderer::drawPlaces(cairo_t* context, const MapProjection& view) const {
    if (!gazetteer_)
        return;
    std::vector<const Gazetteer::Place*> shown;
    for (const auto& place : gazetteer_->places()) {
        const auto where = place.coordinate();
        if (view.contains(where.latitude, where.longitude))
            shown.push_back(&place);
        if (shown.size() == maximumDots)
            break;
    }
    cairo_select_font_face(context, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(context, labelSize);
    const double cx = width / 2.0, cy = height / 2.0;
    std::vector<Box> taken{
        {cx - markerClearance, cy - markerClearance, cx + markerClearance, cy + markerClearance}};
    int labels = 0;
    for (const auto* place : shown) {
        const auto where = place->coordinate();
        auto pixel = view.toPixel(where.latitude, view.nearestLongitude(where.longitude));
        double gap = 3.5;
        if (std::hypot(pixel.x - cx, pixel.y - cy) < markerClearance) {
            pixel = {cx, cy};
            gap = markerClearance + 1;
        } else {
            setColour(context, dotColour);
            cairo_new_path(context);
            cairo_arc(context, pixel.x, pixel.y, 1.6, 0, 2 * std::numbers::pi);
            cairo_fill(context);
        }
        if (labels < maximumLabels && drawLabel(context, place->name, pixel, gap, taken))
            ++labels;
    }
}

bool MapRenderer::drawLabel(cairo_t* context, std::string_view name, MapProjection::Pixel at,
                            double gap, std::vector<Box>& taken) const {
    const std::string text(name);
    cairo_text_extents_t extents;
    cairo_text_extents(context, text.c_str(), &extents);
    for (const double left : {at.x + gap, at.x - gap - extents.x_advance}) {
        const Box box{left, at.y - labelSize / 2, left + extents.x_advance, at.y + labelSize / 2};
        const bool inside =
            box.left >= 1 && box.right <= width - 1 && box.top >= 1 && box.bottom <= height - 1;
        if (!inside || std::any_of(taken.begin(), taken.end(),
                                   [&](const Box& other) { return other.overlaps(box); }))
            continue;
        setColour(context, labelColour);
        cairo_move_to(context, box.left, at.y + labelSize * 0.35);
        cairo_show_text(context, text.c_str());
        taken.push_back(box);
        return true;
    }
    return false;
}

void MapRenderer::drawMarker(cairo_t* context, const MapProjection& view) const {
    const auto centre = view.toPixel(view.centre().latitude, view.centre().longitude);
    cairo_new_path(context);
    cairo_arc(context, centre.x, centre.y, markerRadius, 0, 2 * std::numbers::pi);
    setColour(context, marker);
    cairo_fill_preserve(context);
    cairo_set_source_rgb(context, 1, 1, 1);
    cairo_set_line_width(context, 1.5);
    cairo_stroke(context);
}

} // namespace aerolune
