#pragma once

// A window of one plain colour on the Wayland compositor of $WAYLAND_DISPLAY,
// for tests that check what lies above or beneath it: an xdg-shell toplevel
// with a title, shown once, then left alone until it is destroyed.

#include <algorithm>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>
#include <wayland-client.h>
#include <xdg-shell-client-protocol.h>

namespace aerolune::test {

class SolidWindow {
public:
    SolidWindow(const std::string& title, int width, int height, std::uint32_t xrgb)
        : width_(width), height_(height), colour_(xrgb), display_(wl_display_connect(nullptr)) {
        if (!display_)
            return;
        wl_registry_add_listener(keep(wl_display_get_registry(display_)), &registryListener, this);
        wl_display_roundtrip(display_);
        if (!compositor_ || !shm_ || !base_)
            return;
        surface_ = keep(wl_compositor_create_surface(compositor_));
        xdg_ = keep(xdg_wm_base_get_xdg_surface(base_, surface_));
        xdg_surface_add_listener(xdg_, &surfaceListener, this);
        xdg_toplevel_set_title(keep(xdg_surface_get_toplevel(xdg_)), title.c_str());
        wl_surface_commit(surface_);
        for (int i = 0; i < 50 && !shown_ && wl_display_roundtrip(display_) >= 0; ++i) {
        }
        // The buffer attached while dispatching is sent, and mapped, by this.
        wl_display_roundtrip(display_);
    }
    // Disconnecting takes the window away; its objects here need only be freed.
    ~SolidWindow() {
        std::for_each(objects_.rbegin(), objects_.rend(), wl_proxy_destroy);
        if (display_)
            wl_display_disconnect(display_);
    }
    SolidWindow(const SolidWindow&) = delete;
    SolidWindow& operator=(const SolidWindow&) = delete;

    bool shown() const { return shown_; }

private:
    template <typename Object> Object* keep(Object* object) {
        objects_.push_back(reinterpret_cast<wl_proxy*>(object));
        return object;
    }

    void show(std::uint32_t serial) {
        xdg_surface_ack_configure(xdg_, serial);
        if (shown_)
            return;
        const std::vector<std::uint32_t> pixels(std::size_t(width_) * height_, colour_);
        const std::size_t size = pixels.size() * 4;
        const int fd = memfd_create("solid-window", MFD_CLOEXEC);
        if (fd < 0 || write(fd, pixels.data(), size) != ssize_t(size))
            return;
        wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, int(size));
        wl_buffer* buffer = keep(wl_shm_pool_create_buffer(pool, 0, width_, height_, width_ * 4,
                                                           WL_SHM_FORMAT_XRGB8888));
        wl_shm_pool_destroy(pool);
        close(fd);
        wl_surface_attach(surface_, buffer, 0, 0);
        wl_surface_damage_buffer(surface_, 0, 0, width_, height_);
        wl_surface_commit(surface_);
        shown_ = true;
    }

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t) {
        auto* self = static_cast<SolidWindow*>(data);
        const auto bind = [&](auto*& into, const wl_interface& kind, std::uint32_t version) {
            if (kind.name == std::string(interface))
                into = self->keep(static_cast<std::remove_reference_t<decltype(into)>>(
                    wl_registry_bind(registry, name, &kind, version)));
        };
        bind(self->compositor_, wl_compositor_interface, 4);
        bind(self->shm_, wl_shm_interface, 1);
        bind(self->base_, xdg_wm_base_interface, 1);
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener registryListener{global, globalRemove};
    static void configure(void* data, xdg_surface*, std::uint32_t serial) {
        static_cast<SolidWindow*>(data)->show(serial);
    }
    static constexpr xdg_surface_listener surfaceListener{configure};

    int width_, height_;
    std::uint32_t colour_;
    wl_display* display_;
    std::vector<wl_proxy*> objects_;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* base_ = nullptr;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdg_ = nullptr;
    bool shown_ = false;
};

} // namespace aerolune::test
