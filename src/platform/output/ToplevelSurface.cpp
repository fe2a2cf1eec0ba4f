#include "platform/output/ToplevelSurface.h"

#include <wayland-client.h>
#include <xdg-shell-client-protocol.h>

namespace aerolune {

struct ToplevelSurface::Events {
    static ToplevelSurface& of(void* data) { return *static_cast<ToplevelSurface*>(data); }

    // The toplevel's size comes first and takes effect with the surface's
    // configure; zero leaves the size to the saver, which keeps its own.
    static void configureToplevel(void* data, xdg_toplevel*, std::int32_t width,
                                  std::int32_t height, wl_array*) {
        of(data).pending_ = {double(width), double(height)};
    }
    static void close(void* data, xdg_toplevel*) { of(data).closed(); }
    static void bounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
    static void capabilities(void*, xdg_toplevel*, wl_array*) {}
    // Named, so that the table compiles whatever events later protocols add.
    static constexpr xdg_toplevel_listener toplevelListener = [] {
        xdg_toplevel_listener listener{};
        listener.configure = configureToplevel;
        listener.close = close;
        listener.configure_bounds = bounds;
        listener.wm_capabilities = capabilities;
        return listener;
    }();

    static void configureSurface(void* data, xdg_surface* surface, std::uint32_t serial) {
        auto& self = of(data);
        xdg_surface_ack_configure(surface, serial);
        const Size given = self.pending_;
        self.configured({given.width > 0 ? given.width : self.wanted_.width,
                         given.height > 0 ? given.height : self.wanted_.height});
    }
    static constexpr xdg_surface_listener surfaceListener{configureSurface};
};

Result<std::unique_ptr<ToplevelSurface>> ToplevelSurface::create(WaylandDisplay& display,
                                                                 const Options& options) {
    if (!display.wmBase())
        return failure("this compositor has no xdg-shell support for windows");
    std::unique_ptr<ToplevelSurface> made(new ToplevelSurface(display));
    made->wanted_ = options.size;
    made->xdgSurface_ = xdg_wm_base_get_xdg_surface(display.wmBase(), made->surface());
    xdg_surface_add_listener(made->xdgSurface_, &Events::surfaceListener, made.get());
    made->toplevel_ = xdg_surface_get_toplevel(made->xdgSurface_);
    xdg_toplevel_add_listener(made->toplevel_, &Events::toplevelListener, made.get());
    xdg_toplevel_set_title(made->toplevel_, options.title.c_str());
    xdg_toplevel_set_app_id(made->toplevel_, options.appId.c_str());
    if (options.fullscreen)
        xdg_toplevel_set_fullscreen(made->toplevel_, nullptr);
    wl_surface_commit(made->surface());
    display.flush();
    return made;
}

ToplevelSurface::~ToplevelSurface() {
    if (toplevel_)
        xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_)
        xdg_surface_destroy(xdgSurface_);
}

} // namespace aerolune
