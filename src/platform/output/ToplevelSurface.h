#pragma once

// An ordinary window (xdg-shell): titled, of a size the compositor may change,
// or full screen when asked. Closing it (its close button, or the window
// manager's close command) shows as isClosed().

#include "platform/core/Result.h"
#include "platform/output/WaylandSurface.h"

#include <memory>
#include <string>

struct xdg_surface;
struct xdg_toplevel;

namespace aerolune {

class ToplevelSurface : public WaylandSurface {
public:
    struct Options {
        std::string title = "Aerolune";
        std::string appId = "aerolune";
        Size size{1280, 720}; // until the compositor chooses one
        bool fullscreen = false;
    };

    // Fails when the compositor has no xdg-shell.
    static Result<std::unique_ptr<ToplevelSurface>> create(WaylandDisplay& display,
                                                           const Options& options);
    ~ToplevelSurface() override;

private:
    struct Events;
    friend struct Events;

    using WaylandSurface::WaylandSurface;

    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    Size wanted_;
    Size pending_;
};

} // namespace aerolune
