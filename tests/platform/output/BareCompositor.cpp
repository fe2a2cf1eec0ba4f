// bare-compositor SOCKET [--windows SCALE]: a Wayland compositor that offers
// surfaces in shared memory and nothing else: no layer shell (as GNOME's), no
// windows. It listens on the socket path given, prints "ready", and serves
// until killed.
//
// With --windows it also offers windows (xdg-shell), sized by their clients,
// tells each surface the buffer scale it prefers, SCALE (wl_surface version 6,
// where this libwayland knows it; it has no monitors to say otherwise), and
// prints "buffer WxH at scale S" whenever a surface commits a buffer of
// another size or scale than its last.

#include "xdg-shell-server-protocol.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <wayland-server.h>

namespace {

#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
constexpr int compositorVersion = 6;
#else
constexpr int compositorVersion = 4;
#endif

int preferredScale = 0; // 0: surfaces hear no preferred scale

struct Surface {
    wl_resource* buffer = nullptr;
    std::int32_t scale = 1;
    std::vector<wl_resource*> frames;
    std::string shown;
};

Surface& surfaceOf(wl_resource* resource) {
    return *static_cast<Surface*>(wl_resource_get_user_data(resource));
}

void destroyResource(wl_client*, wl_resource* resource) {
    wl_resource_destroy(resource);
}

// Shows nothing: notes what was committed, gives the buffer back and answers
// the frame callbacks at once.
void commit(wl_client*, wl_resource* resource) {
    Surface& surface = surfaceOf(resource);
    if (wl_shm_buffer* shm = surface.buffer ? wl_shm_buffer_get(surface.buffer) : nullptr) {
        const std::string shown = "buffer " + std::to_string(wl_shm_buffer_get_width(shm)) + "x" +
                                  std::to_string(wl_shm_buffer_get_height(shm)) + " at scale " +
                                  std::to_string(surface.scale);
        if (shown != surface.shown)
            std::printf("%s\n", shown.c_str());
        std::fflush(stdout);
        surface.shown = shown;
        wl_buffer_send_release(surface.buffer);
    }
    surface.buffer = nullptr;
    for (wl_resource* frame : surface.frames) {
        wl_callback_send_done(frame, 0);
        wl_resource_destroy(frame);
    }
    surface.frames.clear();
}

const struct wl_surface_interface surfaceRequests = [] {
    struct wl_surface_interface requests {};
    requests.destroy = destroyResource;
    requests.attach = [](wl_client*, wl_resource* resource, wl_resource* buffer, std::int32_t,
                         std::int32_t) { surfaceOf(resource).buffer = buffer; };
    requests.damage = [](wl_client*, wl_resource*, std::int32_t, std::int32_t, std::int32_t,
                         std::int32_t) {};
    requests.frame = [](wl_client* client, wl_resource* resource, std::uint32_t id) {
        surfaceOf(resource).frames.push_back(
            wl_resource_create(client, &wl_callback_interface, 1, id));
    };
    requests.set_opaque_region = [](wl_client*, wl_resource*, wl_resource*) {};
    requests.set_input_region = [](wl_client*, wl_resource*, wl_resource*) {};
    requests.commit = commit;
    requests.set_buffer_transform = [](wl_client*, wl_resource*, std::int32_t) {};
    requests.set_buffer_scale = [](wl_client*, wl_resource* resource, std::int32_t scale) {
        surfaceOf(resource).scale = scale;
    };
    requests.damage_buffer = [](wl_client*, wl_resource*, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t) {};
    return requests;
}();

const struct wl_region_interface regionRequests = [] {
    struct wl_region_interface requests {};
    requests.destroy = destroyResource;
    requests.add = [](wl_client*, wl_resource*, std::int32_t, std::int32_t, std::int32_t,
                      std::int32_t) {};
    requests.subtract = [](wl_client*, wl_resource*, std::int32_t, std::int32_t, std::int32_t,
                           std::int32_t) {};
    return requests;
}();

void createSurface(wl_client* client, wl_resource* compositor, std::uint32_t id) {
    wl_resource* resource =
        wl_resource_create(client, &wl_surface_interface, wl_resource_get_version(compositor), id);
    wl_resource_set_implementation(resource, &surfaceRequests, new Surface,
                                   [](wl_resource* gone) { delete &surfaceOf(gone); });
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
    if (preferredScale > 0 &&
        wl_resource_get_version(resource) >= WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_send_preferred_buffer_scale(resource, preferredScale);
#endif
}

const struct wl_compositor_interface compositorRequests = [] {
    struct wl_compositor_interface requests {};
    requests.create_surface = createSurface;
    requests.create_region = [](wl_client* client, wl_resource* compositor, std::uint32_t id) {
        wl_resource_set_implementation(wl_resource_create(client, &wl_region_interface,
                                                          wl_resource_get_version(compositor), id),
                                       &regionRequests, nullptr, nullptr);
    };
    return requests;
}();

// (The structs of requests share their names with the interfaces.)
// A window takes the size its client asks for: configured at 0x0.
const struct xdg_toplevel_interface toplevelRequests = [] {
    struct xdg_toplevel_interface requests {};
    requests.destroy = destroyResource;
    requests.set_title = [](wl_client*, wl_resource*, const char*) {};
    requests.set_app_id = [](wl_client*, wl_resource*, const char*) {};
    requests.set_fullscreen = [](wl_client*, wl_resource*, wl_resource*) {};
    return requests;
}();

std::uint32_t nextSerial = 1;

const struct xdg_surface_interface xdgSurfaceRequests = [] {
    struct xdg_surface_interface requests {};
    requests.destroy = destroyResource;
    requests.get_toplevel = [](wl_client* client, wl_resource* xdgSurface, std::uint32_t id) {
        wl_resource* toplevel = wl_resource_create(client, &xdg_toplevel_interface,
                                                   wl_resource_get_version(xdgSurface), id);
        wl_resource_set_implementation(toplevel, &toplevelRequests, nullptr, nullptr);
        wl_array states;
        wl_array_init(&states);
        xdg_toplevel_send_configure(toplevel, 0, 0, &states);
        wl_array_release(&states);
        xdg_surface_send_configure(xdgSurface, nextSerial++);
    };
    requests.set_window_geometry = [](wl_client*, wl_resource*, std::int32_t, std::int32_t,
                                      std::int32_t, std::int32_t) {};
    requests.ack_configure = [](wl_client*, wl_resource*, std::uint32_t) {};
    return requests;
}();

const struct xdg_wm_base_interface wmBaseRequests = [] {
    struct xdg_wm_base_interface requests {};
    requests.destroy = destroyResource;
    requests.get_xdg_surface = [](wl_client* client, wl_resource* base, std::uint32_t id,
                                  wl_resource*) {
        wl_resource_set_implementation(
            wl_resource_create(client, &xdg_surface_interface, wl_resource_get_version(base), id),
            &xdgSurfaceRequests, nullptr, nullptr);
    };
    requests.pong = [](wl_client*, wl_resource*, std::uint32_t) {};
    return requests;
}();

} // namespace

int main(int argc, char** argv) {
    const bool windows = argc == 4 && std::string(argv[2]) == "--windows";
    if (argc != 2 && !windows)
        return 2;
    if (windows)
        preferredScale = std::stoi(argv[3]);
    wl_display* display = wl_display_create();
    wl_global_create(display, &wl_compositor_interface, compositorVersion, nullptr,
                     [](wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
                         wl_resource_set_implementation(
                             wl_resource_create(client, &wl_compositor_interface, int(version), id),
                             &compositorRequests, nullptr, nullptr);
                     });
    if (windows)
        wl_global_create(
            display, &xdg_wm_base_interface, 1, nullptr,
            [](wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
                wl_resource_set_implementation(
                    wl_resource_create(client, &xdg_wm_base_interface, int(version), id),
                    &wmBaseRequests, nullptr, nullptr);
            });
    wl_display_init_shm(display);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = argv[1];
    if (path.size() >= sizeof address.sun_path)
        return 1;
    path.copy(address.sun_path, path.size());
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0 || wl_display_add_socket_fd(display, fd) != 0)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    wl_display_run(display);
    return 0;
}
