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
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <wayland-server.h>

namespace {

#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
constexpr int compositorVersion = 6;
#else
constexpr int compositorVersion = 4;
#endif

int preferredScale = 0; // 0: surfaces hear no preferred scale
std::uint32_t nextSerial = 1;

struct Surface {
    wl_resource* buffer = nullptr;
    std::int32_t scale = 1;
    std::vector<wl_resource*> frames;
    std::string shown;
};

// Shows nothing: notes what was committed, gives the buffer back and answers
// the frame callbacks at once.
void commit(Surface& surface) {
    if (wl_shm_buffer* shm = surface.buffer ? wl_shm_buffer_get(surface.buffer) : nullptr) {
        const std::string shown = "buffer " + std::to_string(wl_shm_buffer_get_width(shm)) + "x" +
                                  std::to_string(wl_shm_buffer_get_height(shm)) + " at scale " +
                                  std::to_string(surface.scale);
        if (shown != std::exchange(surface.shown, shown))
            std::printf("%s\n", shown.c_str());
        wl_buffer_send_release(surface.buffer);
    }
    surface.buffer = nullptr;
    for (wl_resource* frame : surface.frames) {
        wl_callback_send_done(frame, 0);
        wl_resource_destroy(frame);
    }
    surface.frames.clear();
}

wl_resource* serve(wl_resource* resource, Surface* surface = nullptr);

// One dispatcher serves every object, by the requests' names, which no two of
// the interfaces here use for different things; any other request (damage,
// regions, titles, acknowledgements) changes nothing here.
int dispatch(const void*, void* target, std::uint32_t, const wl_message* message,
             wl_argument* args) {
    auto* resource = static_cast<wl_resource*>(target);
    auto* surface = static_cast<Surface*>(wl_resource_get_user_data(resource));
    wl_client* client = wl_resource_get_client(resource);
    const int version = wl_resource_get_version(resource);
    const std::string_view request = message->name;
    if (request == "destroy") {
        wl_resource_destroy(resource);
    } else if (request == "create_surface") {
        [[maybe_unused]] wl_resource* made = serve(
            wl_resource_create(client, &wl_surface_interface, version, args[0].n), new Surface);
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
        if (preferredScale > 0 && version >= WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION)
            wl_surface_send_preferred_buffer_scale(made, preferredScale);
#endif
    } else if (request == "create_region") {
        serve(wl_resource_create(client, &wl_region_interface, version, args[0].n));
    } else if (request == "attach") {
        surface->buffer = reinterpret_cast<wl_resource*>(args[0].o);
    } else if (request == "frame") {
        surface->frames.push_back(wl_resource_create(client, &wl_callback_interface, 1, args[0].n));
    } else if (request == "set_buffer_scale") {
        surface->scale = args[0].i;
    } else if (request == "commit") {
        commit(*surface);
    } else if (request == "get_xdg_surface") {
        serve(wl_resource_create(client, &xdg_surface_interface, version, args[0].n));
    } else if (request == "get_toplevel") {
        // A window takes the size its client asks for: configured at 0x0.
        wl_resource* toplevel =
            serve(wl_resource_create(client, &xdg_toplevel_interface, version, args[0].n));
        wl_array noStates{};
        xdg_toplevel_send_configure(toplevel, 0, 0, &noStates);
        xdg_surface_send_configure(resource, nextSerial++);
    }
    return 0;
}

wl_resource* serve(wl_resource* resource, Surface* surface) {
    wl_resource_set_dispatcher(resource, dispatch, nullptr, surface, [](wl_resource* gone) {
        delete static_cast<Surface*>(wl_resource_get_user_data(gone));
    });
    return resource;
}

void bindGlobal(wl_client* client, void* interface, std::uint32_t version, std::uint32_t id) {
    serve(
        wl_resource_create(client, static_cast<const wl_interface*>(interface), int(version), id));
}

} // namespace

int main(int argc, char** argv) {
    const bool windows = argc == 4 && std::string(argv[2]) == "--windows";
    if (argc != 2 && !windows)
        return 2;
    wl_display* display = wl_display_create();
    wl_global_create(display, &wl_compositor_interface, compositorVersion,
                     const_cast<wl_interface*>(&wl_compositor_interface), bindGlobal);
    if (windows) {
        preferredScale = std::stoi(argv[3]);
        wl_global_create(display, &xdg_wm_base_interface, 1,
                         const_cast<wl_interface*>(&xdg_wm_base_interface), bindGlobal);
    }
    wl_display_init_shm(display);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", argv[1]);
    unlink(address.sun_path);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0 || wl_display_add_socket_fd(display, fd) != 0)
        return 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line as it is written, for the tests
    std::printf("ready\n");
    wl_display_run(display);
    return 0;
}
