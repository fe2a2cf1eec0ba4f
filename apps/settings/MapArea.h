#pragma once

// The static map of the result area: a 200x100 drawing area that the shared
// MapRenderer paints around a place. It takes no input.

#include "map/MapRenderer.h"
#include "platform/core/CLLocationCoordinate2D.h"

#include <functional>
#include <gtkmm/drawingarea.h>
#include <optional>

namespace aerolune {

class MapArea : public Gtk::DrawingArea {
public:
    MapArea();

    void setCentre(std::optional<CLLocationCoordinate2D> centre);
    // Called after each time the map has been painted.
    void setDrawnHandler(std::function<void()> handler) { drawnHandler_ = std::move(handler); }

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& context) override;

private:
    // Made on the first paint, so that opening the window reads no map data.
    std::optional<MapRenderer> renderer_;
    std::optional<CLLocationCoordinate2D> centre_;
    std::function<void()> drawnHandler_;
};

} // namespace aerolune
