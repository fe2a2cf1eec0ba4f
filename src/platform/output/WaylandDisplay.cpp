#include "platform/output/WaylandDisplay.h"

#include "platform/output/LayerShellProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fractional-scale-v1-client-protocol.h>
#include <poll.h>
#include <string_view>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>
#include <xdg-shell-client-protocol.h>

namespace aerolune {

namespace {

// Surfaces of version 6 hear the scale the compositor prefers for them; a
// libwayland older than 1.22 does not know those events.
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
constexpr std::uint32_t compositorVersion = 6;
#else
constexpr std::uint32_t compositorVersion = 4;
#endif

} // namespace

struct WaylandDisplay::Globals {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;
    std::vector<std::unique_ptr<WaylandMonitor>> monitors;
    std::unique_ptr<WaylandInput> input = std::make_unique<WaylandInput>();

    ~Globals() {
        monitors.clear();
        input.reset();
        if (layerShell)
            wl_proxy_get_version(reinterpret_cast<wl_proxy*>(layerShell)) >=
                    ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION
                ? zwlr_layer_shell_v1_destroy(layerShell)
                : wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell));
        if (wmBase)
            xdg_wm_base_destroy(wmBase);
        if (viewporter)
            wp_viewporter_destroy(viewporter);
        if (fractionalScale)
            wp_fractional_scale_manager_v1_destroy(fractionalScale);
        if (shm)
            wl_shm_destroy(shm);
        if (compositor)
            wl_compositor_destroy(compositor);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    template <typename Proxy>
    Proxy* bind(std::uint32_t name, const wl_interface& interface, std::uint32_t offered,
                std::uint32_t wanted) {
        return static_cast<Proxy*>(
            wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
    }

    // The versions asked for are the newest whose events this code handles.
    void announce(std::uint32_t name, std::string_view interface, std::uint32_t version) {
        if (interface == wl_compositor_interface.name)
            compositor =
                bind<wl_compositor>(name, wl_compositor_interface, version, compositorVersion);
        else if (interface == wl_shm_interface.name)
            shm = bind<wl_shm>(name, wl_shm_interface, version, 1);
        else if (interface == wl_seat_interface.name && !input->hasSeat())
            input->setSeat(bind<wl_seat>(name, wl_seat_interface, version, 5));
        else if (interface == wl_output_interface.name)
            monitors.push_back(std::make_unique<WaylandMonitor>(
                bind<wl_output>(name, wl_output_interface, version, 4), name));
        else if (interface == zwlr_layer_shell_v1_interface.name)
            layerShell = bind<zwlr_layer_shell_v1>(name, zwlr_layer_shell_v1_interface, version, 4);
        else if (interface == xdg_wm_base_interface.name)
            bindWmBase(name, version);
        else if (interface == wp_viewporter_interface.name)
            viewporter = bind<wp_viewporter>(name, wp_viewporter_interface, version, 1);
        else if (interface == wp_fractional_scale_manager_v1_interface.name)
            fractionalScale = bind<wp_fractional_scale_manager_v1>(
                name, wp_fractional_scale_manager_v1_interface, version, 1);
    }

    // A window manager that pings and hears nothing back takes the saver for
    // hung.
    void bindWmBase(std::uint32_t name, std::uint32_t version) {
        wmBase = bind<xdg_wm_base>(name, xdg_wm_base_interface, version, 5);
        static constexpr xdg_wm_base_listener listener{
            [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
        xdg_wm_base_add_listener(wmBase, &listener, this);
    }

    void remove(std::uint32_t name) {
        std::erase_if(monitors, [name](const auto& m) { return m->globalName() == name; });
    }

    static void global(void* data, wl_registry*, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        static_cast<Globals*>(data)->announce(name, interface, version);
    }
    static void globalRemove(void* data, wl_registry*, std::uint32_t name) {
        static_cast<Globals*>(data)->remove(name);
    }
    static constexpr wl_registry_listener registryListener{global, globalRemove};
};

namespace {

std::string whereToConnect() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name && *name ? std::string(" at ") + name : " (WAYLAND_DISPLAY is not set)";
}

} // namespace

Result<std::unique_ptr<WaylandDisplay>> WaylandDisplay::connect() {
    auto globals = std::make_unique<Globals>();
    globals->display = wl_display_connect(nullptr);
    if (!globals->display)
        return failure("cannot connect to a Wayland compositor" + whereToConnect());
    globals->registry = wl_display_get_registry(globals->display);
    wl_registry_add_listener(globals->registry, &Globals::registryListener, globals.get());
    // The first round trip announces the globals, the second describes the
    // monitors and the seat bound in the first.
    for (int round = 0; round < 2; ++round)
        if (wl_display_roundtrip(globals->display) < 0)
            return failure("the Wayland compositor" + whereToConnect() +
                           " ended the connection at once");
    if (!globals->compositor || !globals->shm)
        return failure("the Wayland compositor" + whereToConnect() +
                       " offers no surfaces in shared memory (wl_compositor, wl_shm)");
    return std::unique_ptr<WaylandDisplay>(new WaylandDisplay(std::move(globals)));
}

WaylandDisplay::WaylandDisplay(std::unique_ptr<Globals> globals) : globals_(std::move(globals)) {}

WaylandDisplay::~WaylandDisplay() = default;

int WaylandDisplay::eventFd() const {
    return wl_display_get_fd(globals_->display);
}

bool WaylandDisplay::processEvents() {
    wl_display* display = globals_->display;
    if (wl_display_get_error(display))
        return false;
    // Events already queued are dispatched first; then whatever the socket
    // holds is read, without waiting for more.
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    pollfd ready{wl_display_get_fd(display), POLLIN, 0};
    if (::poll(&ready, 1, 0) > 0) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0)
        return false;
    flush();
    return wl_display_get_error(display) == 0;
}

void WaylandDisplay::flush() {
    // A full socket (EAGAIN) keeps the rest for the next flush.
    wl_display_flush(globals_->display);
}

std::string WaylandDisplay::protocolError() const {
    if (wl_display_get_error(globals_->display) != EPROTO)
        return {};
    const wl_interface* interface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t code = wl_display_get_protocol_error(globals_->display, &interface, &id);
    return "the Wayland compositor ended the connection over protocol error " +
           std::to_string(code) + " on " + (interface ? interface->name : "an object");
}

wl_compositor* WaylandDisplay::compositor() const {
    return globals_->compositor;
}

wl_shm* WaylandDisplay::shm() const {
    return globals_->shm;
}

zwlr_layer_shell_v1* WaylandDisplay::layerShell() const {
    return globals_->layerShell;
}

xdg_wm_base* WaylandDisplay::wmBase() const {
    return globals_->wmBase;
}

wp_viewporter* WaylandDisplay::viewporter() const {
    return globals_->viewporter;
}

wp_fractional_scale_manager_v1* WaylandDisplay::fractionalScaleManager() const {
    return globals_->fractionalScale;
}

const std::vector<std::unique_ptr<WaylandMonitor>>& WaylandDisplay::monitors() const {
    return globals_->monitors;
}

const WaylandMonitor* WaylandDisplay::monitor(const wl_output* output) const {
    for (const auto& m : globals_->monitors)
        if (m->output() == output)
            return m.get();
    return nullptr;
}

WaylandInput& WaylandDisplay::input() {
    return *globals_->input;
}

} // namespace aerolune
