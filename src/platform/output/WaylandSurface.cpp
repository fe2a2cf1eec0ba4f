#include "platform/output/WaylandSurface.h"

#include "platform/core/Log.h"
#include "platform/render/UploadBoxes.h"

#include <algorithm>
#include <cmath>
#include <fractional-scale-v1-client-protocol.h>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>

namespace aerolune {
namespace {

// A rectangle of damage costs a wlroots compositor about as much as copying
// this many pixels (measured under sway with its pixman renderer): a night's
// hundred star boxes go as a few boxes around nearby ones.
constexpr long damagePixels = 16384;

} // namespace

struct WaylandSurface::Events {
    static WaylandSurface& of(void* data) { return *static_cast<WaylandSurface*>(data); }

    static void enter(void* data, wl_surface*, wl_output* output) {
        auto& self = of(data);
        if (std::find(self.shownOn_.begin(), self.shownOn_.end(), output) == self.shownOn_.end())
            self.shownOn_.push_back(output);
        self.refreshScale();
    }
    static void leave(void* data, wl_surface*, wl_output* output) {
        auto& self = of(data);
        std::erase(self.shownOn_, output);
        self.refreshScale();
    }
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
    static void preferredBufferScale(void* data, wl_surface*, std::int32_t factor) {
        auto& self = of(data);
        if (factor > 0)
            self.preferredBufferScale_ = factor;
        self.refreshScale();
    }
    // The picture is drawn upright whatever the monitor's rotation; the
    // compositor turns it.
    static void preferredBufferTransform(void*, wl_surface*, std::uint32_t) {}
#endif
    // Named, so that the table compiles against a libwayland with or without
    // the events of wl_surface version 6, or with newer ones.
    static constexpr wl_surface_listener surfaceListener = [] {
        wl_surface_listener listener{};
        listener.enter = enter;
        listener.leave = leave;
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
        listener.preferred_buffer_scale = preferredBufferScale;
        listener.preferred_buffer_transform = preferredBufferTransform;
#endif
        return listener;
    }();

    static void frameDone(void* data, wl_callback* callback, std::uint32_t) {
        auto& self = of(data);
        wl_callback_destroy(callback);
        if (self.frameCallback_ == callback)
            self.frameCallback_ = nullptr;
    }
    static constexpr wl_callback_listener frameListener{frameDone};

    // In 120ths: 180 is a scale of 1.5.
    static void preferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
        auto& self = of(data);
        if (scale > 0)
            self.preferredScale_ = scale / 120.0;
        self.refreshScale();
    }
    static constexpr wp_fractional_scale_v1_listener fractionalListener{preferredScale};
};

WaylandSurface::WaylandSurface(WaylandDisplay& display)
    : display_(display), buffers_(display.shm()) {
    surface_ = wl_compositor_create_surface(display_.compositor());
    wl_surface_add_listener(surface_, &Events::surfaceListener, this);
    if (display_.viewporter())
        viewport_ = wp_viewporter_get_viewport(display_.viewporter(), surface_);
    if (viewport_ && display_.fractionalScaleManager()) {
        fractionalScale_ = wp_fractional_scale_manager_v1_get_fractional_scale(
            display_.fractionalScaleManager(), surface_);
        wp_fractional_scale_v1_add_listener(fractionalScale_, &Events::fractionalListener, this);
    }
}

WaylandSurface::~WaylandSurface() {
    if (frameCallback_)
        wl_callback_destroy(frameCallback_);
    if (fractionalScale_)
        wp_fractional_scale_v1_destroy(fractionalScale_);
    if (viewport_)
        wp_viewport_destroy(viewport_);
    wl_surface_destroy(surface_);
    display_.flush();
}

void WaylandSurface::showOn(wl_output* output) {
    shownOn_.push_back(output);
    refreshScale();
}

void WaylandSurface::configured(Size size) {
    const Size given{size.width > 0 ? size.width : size_.width,
                     size.height > 0 ? size.height : size_.height};
    if (given != size_) {
        size_ = given;
        geometryChanged_ = true;
    }
    configured_ = size_.width > 0 && size_.height > 0;
    answerConfigure_ = configured_;
}

void WaylandSurface::closed() {
    closed_ = true;
}

bool WaylandSurface::wantsFrame() const {
    return configured_ && !closed_ && (!frameCallback_ || answerConfigure_);
}

bool WaylandSurface::awaitsFrame() const {
    return configured_ && !closed_ && frameCallback_ && !answerConfigure_;
}

// The compositor's own word wins over a guess from the monitors: its
// fractional scale (drawn through the viewport), else the integer scale it
// prefers for the surface's buffers (wl_surface version 6), which follows the
// monitor that shows most of the surface.
void WaylandSurface::refreshScale() {
    double scale = 1;
    if (preferredScale_) {
        scale = *preferredScale_;
    } else if (preferredBufferScale_) {
        scale = *preferredBufferScale_;
    } else {
        for (const wl_output* output : shownOn_)
            if (const WaylandMonitor* monitor = display_.monitor(output))
                scale = std::max(scale, double(monitor->scale()));
    }
    if (scale == deviceScale_)
        return;
    deviceScale_ = scale;
    useScale(scale);
}

// The picture is drawn at the monitor's scale, sharp, rather than enlarged by
// the Wayland compositor; buffer sizes, the viewport or buffer scale and the
// damage all follow the picture.
void WaylandSurface::useScale(double scale) {
    compositor_.setScale(scale);
    renderScale_ = scale;
    geometryChanged_ = true;
    compositor_.invalidate();
}

void WaylandSurface::present(View& root, double now) {
    if (!wantsFrame())
        return;
    const PixelRect bounds = compositor_.imageBounds(root);
    const auto next = buffers_.next(bounds.width, bounds.height);
    if (!next.buffer) {
        if (buffers_.size() == 0) // the memory drawn into last went with its buffer
            compositor_.setTarget(nullptr, 0, 0, 0);
        return; // the next frame draws what changed meanwhile
    }
    if (next.changed)
        compositor_.setTarget(next.buffer->pixels(), next.buffer->width(), next.buffer->height(),
                              next.buffer->stride(), true);
    const auto redrawn =
        compositor_.render(root, now, {}, next.stale, next.last ? next.last->pixels() : nullptr);
    buffers_.drawn(redrawn);
    unshown_.insert(unshown_.end(), redrawn.begin(), redrawn.end());
    if (unshown_.empty() && !answerConfigure_)
        return;
    show(*next.buffer);
}

void WaylandSurface::applyGeometry() {
    const auto width = static_cast<std::int32_t>(std::lround(size_.width));
    const auto height = static_cast<std::int32_t>(std::lround(size_.height));
    if (viewport_)
        wp_viewport_set_destination(viewport_, width, height);
    else if (wl_surface_get_version(surface_) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_set_buffer_scale(surface_, static_cast<std::int32_t>(renderScale_));
    // The sky is opaque: what lies beneath need not be drawn.
    wl_region* opaque = wl_compositor_create_region(display_.compositor());
    wl_region_add(opaque, 0, 0, width, height);
    wl_surface_set_opaque_region(surface_, opaque);
    wl_region_destroy(opaque);
    geometryChanged_ = false;
}

void WaylandSurface::show(ShmBuffer& buffer) {
    wl_surface_attach(surface_, buffer.buffer(), 0, 0);
    if (wl_surface_get_version(surface_) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
        for (const auto& r : uploadBoxes(unshown_, damagePixels))
            wl_surface_damage_buffer(surface_, r.x, r.y, r.width, r.height);
    } else {
        wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
    }
    if (geometryChanged_)
        applyGeometry();
    if (frameCallback_)
        wl_callback_destroy(frameCallback_);
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &Events::frameListener, this);
    wl_surface_commit(surface_);
    buffer.markBusy();
    unshown_.clear();
    answerConfigure_ = false;
    display_.flush();
}

} // namespace aerolune
