#pragma once

// A surface on one monitor in a layer of the desktop (the layer-shell
// protocol of wlroots-based compositors and KWin), covering the whole monitor:
// beneath all windows as a wallpaper, taking no input, or above everything as
// a saver, taking the keyboard so that a key press reaches it.

#include "platform/core/Result.h"
#include "platform/output/WaylandSurface.h"

#include <cstdint>
#include <memory>

struct zwlr_layer_surface_v1;

namespace aerolune {

class LayerSurface : public WaylandSurface {
public:
    enum class Level { background, overlay };

    // Fails when the compositor has no layer shell.
    static Result<std::unique_ptr<LayerSurface>> create(WaylandDisplay& display,
                                                        const WaylandMonitor& monitor, Level level);
    ~LayerSurface() override;

    // The registry name of the monitor it is on.
    std::uint32_t monitorName() const { return monitorName_; }

private:
    struct Events;
    friend struct Events;

    LayerSurface(WaylandDisplay& display, std::uint32_t monitorName);

    zwlr_layer_surface_v1* layerSurface_ = nullptr;
    std::uint32_t monitorName_;
};

} // namespace aerolune
