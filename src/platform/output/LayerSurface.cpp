#include "platform/output/LayerSurface.h"

#include "platform/output/LayerShellProtocol.h"

#include <wayland-client.h>

namespace aerolune {

struct LayerSurface::Events {
    static void configure(void* data, zwlr_layer_surface_v1* surface, std::uint32_t serial,
                          std::uint32_t width, std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(surface, serial);
        static_cast<LayerSurface*>(data)->configured({double(width), double(height)});
    }
    static void closed(void* data, zwlr_layer_surface_v1*) {
        static_cast<LayerSurface*>(data)->closed();
    }
    static constexpr zwlr_layer_surface_v1_listener listener{configure, closed};
};

LayerSurface::LayerSurface(WaylandDisplay& display, std::uint32_t monitorName)
    : WaylandSurface(display), monitorName_(monitorName) {}

Result<std::unique_ptr<LayerSurface>>
LayerSurface::create(WaylandDisplay& display, const WaylandMonitor& monitor, Level level) {
    if (!display.layerShell())
        return failure("this compositor has no layer-shell support");
    std::unique_ptr<LayerSurface> made(new LayerSurface(display, monitor.globalName()));
    made->showOn(monitor.output());
    const bool overlay = level == Level::overlay;
    made->layerSurface_ = zwlr_layer_shell_v1_get_layer_surface(
        display.layerShell(), made->surface(), monitor.output(),
        overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
        "aerolune");
    zwlr_layer_surface_v1_add_listener(made->layerSurface_, &Events::listener, made.get());
    // Anchored to all four edges with no size of its own: the compositor
    // gives it the whole monitor, and -1 puts it under any panel's zone.
    zwlr_layer_surface_v1_set_anchor(made->layerSurface_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(made->layerSurface_, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(made->layerSurface_, -1);
    if (overlay) {
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            made->layerSurface_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
        // A wallpaper lets clicks through to the desktop beneath.
        wl_region* none = wl_compositor_create_region(display.compositor());
        wl_surface_set_input_region(made->surface(), none);
        wl_region_destroy(none);
    }
    // Committed without a buffer: the compositor answers with the size.
    wl_surface_commit(made->surface());
    display.flush();
    return made;
}

LayerSurface::~LayerSurface() {
    if (layerSurface_)
        zwlr_layer_surface_v1_destroy(layerSurface_);
}

} // namespace aerolune
