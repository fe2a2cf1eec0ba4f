#include "platform/output/WaylandMonitor.h"

#include <wayland-client.h>

namespace aerolune {

struct WaylandMonitor::Events {
    static WaylandMonitor& of(void* data) { return *static_cast<WaylandMonitor*>(data); }

    static void geometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                         std::int32_t, const char*, const char*, std::int32_t) {}
    static void mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                     std::int32_t height, std::int32_t) {
        if (!(flags & WL_OUTPUT_MODE_CURRENT))
            return;
        of(data).pendingWidth_ = width;
        of(data).pendingHeight_ = height;
    }
    static void done(void* data, wl_output*) {
        auto& self = of(data);
        self.name_ = self.pendingName_;
        self.scale_ = self.pendingScale_;
        self.width_ = self.pendingWidth_;
        self.height_ = self.pendingHeight_;
        self.described_ = true;
    }
    // A scale below 1 would be the compositor's mistake; it is taken as 1.
    static void scale(void* data, wl_output*, std::int32_t factor) {
        of(data).pendingScale_ = factor < 1 ? 1 : factor;
    }
    static void name(void* data, wl_output*, const char* name) {
        of(data).pendingName_ = name ? name : "";
    }
    static void description(void*, wl_output*, const char*) {}

    // Named, so that the table compiles whatever events later libwaylands add.
    static constexpr wl_output_listener listener = [] {
        wl_output_listener events{};
        events.geometry = geometry;
        events.mode = mode;
        events.done = done;
        events.scale = scale;
        events.name = name;
        events.description = description;
        return events;
    }();
};

WaylandMonitor::WaylandMonitor(wl_output* output, std::uint32_t globalName)
    : output_(output), globalName_(globalName) {
    wl_output_add_listener(output_, &Events::listener, this);
}

WaylandMonitor::~WaylandMonitor() {
    if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output_);
    else
        wl_output_destroy(output_);
}

} // namespace aerolune
