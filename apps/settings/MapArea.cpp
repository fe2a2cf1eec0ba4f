#include "MapArea.h"

namespace aerolune {

MapArea::MapArea() {
    set_size_request(MapRenderer::width, MapRenderer::height);
    set_halign(Gtk::ALIGN_CENTER);
}

void MapArea::setCentre(std::optional<CLLocationCoordinate2D> centre) {
    if (centre == centre_)
        return;
    centre_ = centre;
    queue_draw();
}

bool MapArea::on_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    if (!centre_)
        return true;
    if (!renderer_)
        renderer_.emplace();
    renderer_->draw(context->cobj(), *centre_);
    if (drawnHandler_)
        drawnHandler_();
    return true;
}

} // namespace aerolune
