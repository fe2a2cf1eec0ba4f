#pragma once

// The connection to a Wayland compositor ($WAYLAND_DISPLAY): the globals the
// saver uses, the monitors as they come and go, and the seat's input. The run
// loop listens to it as an event source; it reports itself gone when the
// compositor goes away (the connection breaks or hangs up) or ends the
// connection over a protocol error, which protocolError() then names.
//
// Events are read without ever blocking (the run loop does the waiting), and
// every request is sent before the loop goes to sleep: what the handlers asked
// for while events were dispatched is flushed at the end of processEvents(),
// and surfaces flush after each frame.

#include "platform/core/Result.h"
#include "platform/output/EventSource.h"
#include "platform/output/WaylandInput.h"
#include "platform/output/WaylandMonitor.h"

#include <memory>
#include <string>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_shm;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;

namespace aerolune {

class WaylandDisplay : public EventSource {
public:
    // Connects and learns the globals and the monitors' names and scales.
    static Result<std::unique_ptr<WaylandDisplay>> connect();
    ~WaylandDisplay() override;
    WaylandDisplay(const WaylandDisplay&) = delete;
    WaylandDisplay& operator=(const WaylandDisplay&) = delete;

    int eventFd() const override;
    bool processEvents() override;
    // Sends the requests made so far.
    void flush();
    // What the compositor objected to when it ended the connection over a
    // protocol error; empty while connected or when it simply went away.
    std::string protocolError() const;

    wl_compositor* compositor() const;
    wl_shm* shm() const;
    // These may be missing: null when the compositor does not offer them.
    zwlr_layer_shell_v1* layerShell() const;
    xdg_wm_base* wmBase() const;
    wp_viewporter* viewporter() const;
    wp_fractional_scale_manager_v1* fractionalScaleManager() const;

    // The monitors, in the order the compositor announced them; those not
    // yet fully described included (see WaylandMonitor::isDescribed).
    const std::vector<std::unique_ptr<WaylandMonitor>>& monitors() const;
    const WaylandMonitor* monitor(const wl_output* output) const;
    WaylandInput& input();

    struct Globals;

private:
    explicit WaylandDisplay(std::unique_ptr<Globals> globals);

    std::unique_ptr<Globals> globals_;
};

} // namespace aerolune
