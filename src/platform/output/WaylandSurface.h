#pragma once

// A Wayland surface that shows frames, paced by the compositor. What is common
// to the layer-shell surfaces of the wallpaper and the overlay and to the
// window (LayerSurface, ToplevelSurface; they give the surface its role).
//
// The surface wants a frame only once the compositor has configured it and,
// after each frame shown, only when the compositor has said it is time for the
// next one (a frame callback). A surface that is hidden or covered is never
// told so, and costs nothing: the run loop neither animates nor draws it. An
// answer to a new configure is sent at once all the same. Until the word
// comes the surface awaits it (awaitsFrame): the loop reads it at the next
// frame's moment rather than waking for it, and listens for it only once
// that moment has passed without it.
//
// The compositor draws each frame straight into a free buffer of two or three
// in shared memory (ShmBufferRing; a buffer also redraws what changed while it
// was away) and tells the Wayland compositor only the changed rectangles,
// joined where near, as damage. A frame in which
// nothing changed sends nothing and leaves the frame wanted.
//
// Sizes are in points. The device scale is the compositor's preferred
// fractional scale where it offers one, else the integer scale it prefers for
// the surface's buffers (wl_surface version 6), else the largest integer scale
// of the monitors the surface is on; the picture is drawn at that scale (see
// useScale) and the viewport or the buffer scale maps it onto the surface's
// size in points.

#include "platform/output/FrameOutput.h"
#include "platform/output/ShmBufferRing.h"
#include "platform/output/WaylandDisplay.h"
#include "platform/render/Compositor.h"

#include <memory>
#include <optional>
#include <vector>

struct wl_callback;
struct wl_output;
struct wl_surface;
struct wp_fractional_scale_v1;
struct wp_viewport;

namespace aerolune {

class WaylandSurface : public FrameOutput {
public:
    ~WaylandSurface() override;
    WaylandSurface(const WaylandSurface&) = delete;
    WaylandSurface& operator=(const WaylandSurface&) = delete;

    Size size() const override { return size_; }
    bool wantsFrame() const override;
    bool awaitsFrame() const override;
    void present(View& root, double now) override;

    // The compositor closed the surface (its monitor went, or the window's
    // close button was pressed).
    bool isClosed() const { return closed_; }
    wl_surface* surface() const { return surface_; }
    // Takes the device scale anew, after the monitors' scales changed.
    void refreshScale();
    double deviceScale() const { return deviceScale_; }

protected:
    // Makes the wl_surface; the subclass then gives it its role.
    explicit WaylandSurface(WaylandDisplay& display);

    WaylandDisplay& display() const { return display_; }
    // The monitor the surface is meant for, before the compositor says where it is.
    void showOn(wl_output* output);
    // The compositor gave the surface a size in points (zero in a dimension
    // keeps the current one) and waits for a frame in answer.
    void configured(Size size);
    void closed();

private:
    struct Events;
    friend struct Events;

    // The one place where the device scale reaches the drawing.
    void useScale(double scale);
    void show(ShmBuffer& buffer);
    void applyGeometry();

    WaylandDisplay& display_;
    wl_surface* surface_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wp_fractional_scale_v1* fractionalScale_ = nullptr;
    wl_callback* frameCallback_ = nullptr;
    std::vector<wl_output*> shownOn_;
    std::optional<double> preferredScale_;
    std::optional<int> preferredBufferScale_;
    double deviceScale_ = 1;
    double renderScale_ = 1;
    Size size_{};
    bool configured_ = false;
    bool answerConfigure_ = false;
    bool geometryChanged_ = true;
    bool closed_ = false;
    Compositor compositor_;
    ShmBufferRing buffers_;
    // Rectangles drawn but not yet shown: a frame with no buffer free keeps
    // them for the next.
    std::vector<PixelRect> unshown_;
};

} // namespace aerolune
