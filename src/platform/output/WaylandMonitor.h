#pragma once

// One monitor as the compositor describes it (a wl_output): its name
// ("HEADLESS-1", "DP-2"), its integer scale and the size of its current mode
// in pixels. A description comes in pieces
// and counts once the compositor says it is complete (the done event), so a
// half-described monitor is never shown on.

#include <cstdint>
#include <string>

struct wl_output;

namespace aerolune {

class WaylandMonitor {
public:
    // Takes a bound wl_output; `globalName` is its name in the registry.
    WaylandMonitor(wl_output* output, std::uint32_t globalName);
    ~WaylandMonitor();
    WaylandMonitor(const WaylandMonitor&) = delete;
    WaylandMonitor& operator=(const WaylandMonitor&) = delete;

    wl_output* output() const { return output_; }
    std::uint32_t globalName() const { return globalName_; }
    // Empty from a compositor older than wl_output version 4.
    const std::string& name() const { return name_; }
    int scale() const { return scale_; }
    // The current mode's width and height in pixels; 0 by 0 until told.
    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    bool isDescribed() const { return described_; }

private:
    struct Events;
    friend struct Events;

    wl_output* output_;
    std::uint32_t globalName_;
    std::string name_, pendingName_;
    int scale_ = 1, pendingScale_ = 1;
    int width_ = 0, height_ = 0, pendingWidth_ = 0, pendingHeight_ = 0;
    bool described_ = false;
};

} // namespace aerolune
