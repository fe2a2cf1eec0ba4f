#pragma once

// A pointer device made by the test on the Wayland compositor of
// $WAYLAND_DISPLAY (wlroots' virtual-pointer protocol): a headless compositor
// has none of its own. Each call is sent and waited for.

#include <cstdint>
#include <string>
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

namespace aerolune::test {

class VirtualPointer {
public:
    VirtualPointer() {
        display_ = wl_display_connect(nullptr);
        if (!display_)
            return;
        wl_registry* registry = wl_display_get_registry(display_);
        wl_registry_add_listener(registry, &registryListener, this);
        wl_display_roundtrip(display_);
        wl_registry_destroy(registry);
        if (manager_)
            pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager_, nullptr);
        wl_display_roundtrip(display_);
    }
    ~VirtualPointer() {
        if (pointer_)
            zwlr_virtual_pointer_v1_destroy(pointer_);
        if (manager_)
            zwlr_virtual_pointer_manager_v1_destroy(manager_);
        if (display_)
            wl_display_disconnect(display_);
    }
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    bool valid() const { return pointer_ != nullptr; }

    void move(double dx, double dy) {
        zwlr_virtual_pointer_v1_motion(pointer_, ++time_, wl_fixed_from_double(dx),
                                       wl_fixed_from_double(dy));
        zwlr_virtual_pointer_v1_frame(pointer_);
        wl_display_roundtrip(display_);
    }
    // The left button, down and up.
    void click() {
        constexpr std::uint32_t left = 0x110;
        for (const auto state :
             {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            zwlr_virtual_pointer_v1_button(pointer_, ++time_, left, state);
            zwlr_virtual_pointer_v1_frame(pointer_);
        }
        wl_display_roundtrip(display_);
    }

private:
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t) {
        if (std::string(interface) == zwlr_virtual_pointer_manager_v1_interface.name)
            static_cast<VirtualPointer*>(data)->manager_ =
                static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(
                    registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener registryListener{global, globalRemove};

    wl_display* display_ = nullptr;
    zwlr_virtual_pointer_manager_v1* manager_ = nullptr;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    std::uint32_t time_ = 0;
};

} // namespace aerolune::test
