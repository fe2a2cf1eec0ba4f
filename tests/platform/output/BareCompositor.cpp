// bare-compositor SOCKET: a Wayland compositor that offers surfaces in shared
// memory and nothing else: no layer shell (as GNOME's), no windows. It
// listens on the socket path given, prints "ready", and serves until killed.

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    wl_display* display = wl_display_create();
    // Clients may bind the compositor; nothing they ask of it is needed here.
    wl_global_create(display, &wl_compositor_interface, 4, nullptr,
                     [](wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
                         wl_resource_create(client, &wl_compositor_interface, int(version), id);
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
