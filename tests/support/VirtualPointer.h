#pragma once

// A pointer device made by the test on the Wayland compositor of
// $WAYLAND_DISPLAY (wlroots' virtual-pointer protocol): a headless compositor
// has none of its own. Each call is sent and waited for.
//
// The protocol's two interfaces are declared here by hand, each up to the
// last request used (a request's place in the list is its number), rather
// than generated: a client that only sends needs no more. Disconnecting ends
// both objects on the compositor's side.

#include <cstdint>
#include <string>
#include <wayland-client.h>

namespace aerolune::test {

class VirtualPointer {
public:
    VirtualPointer() : display_(wl_display_connect(nullptr)) {
        if (!display_)
            return;
        wl_registry* registry = wl_display_get_registry(display_);
        wl_registry_add_listener(registry, &registryListener, this);
        wl_display_roundtrip(display_);
        wl_registry_destroy(registry);
        if (manager_)
            pointer_ = wl_proxy_marshal_flags(manager_, 0, &pointerInterface, 1, 0, nullptr,
                                              nullptr); // create_virtual_pointer(no seat)
        wl_display_roundtrip(display_);
    }
    ~VirtualPointer() {
        for (wl_proxy* proxy : {pointer_, manager_})
            if (proxy)
                wl_proxy_destroy(proxy);
        if (display_)
            wl_display_disconnect(display_);
    }
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    bool valid() const { return pointer_ != nullptr; }

    void move(double dx, double dy) {
        send(motion, ++time_, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
        send(frame);
        wl_display_roundtrip(display_);
    }
    // The left button, down and up.
    void click() {
        for (const auto state :
             {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            send(button, ++time_, std::uint32_t{0x110}, std::uint32_t(state));
            send(frame);
        }
        wl_display_roundtrip(display_);
    }

private:
    enum Request : std::uint32_t { motion = 0, button = 2, frame = 4 };
    template <typename... Arguments> void send(Request request, Arguments... arguments) {
        wl_proxy_marshal_flags(pointer_, request, nullptr, 1, 0, arguments...);
    }

    // The tables libwayland reads (it wants them writable, hence not constexpr).
    static inline const wl_interface* noTypes[3] = {};
    static inline const wl_message pointerRequests[] = {{"motion", "uff", noTypes},
                                                        {"motion_absolute", "uuuuu", noTypes},
                                                        {"button", "uuu", noTypes},
                                                        {"axis", "uuf", noTypes},
                                                        {"frame", "", noTypes}};
    static inline const wl_interface pointerInterface{"zwlr_virtual_pointer_v1", 1, 5,
                                                      pointerRequests,           0, nullptr};
    static inline const wl_interface* createTypes[] = {&wl_seat_interface, &pointerInterface};
    static inline const wl_message managerRequests[] = {
        {"create_virtual_pointer", "?on", createTypes}};
    static inline const wl_interface managerInterface{
        "zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr};

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t) {
        if (std::string(interface) == managerInterface.name)
            static_cast<VirtualPointer*>(data)->manager_ =
                static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener registryListener{global, globalRemove};

    wl_display* display_;
    wl_proxy* manager_ = nullptr;
    wl_proxy* pointer_ = nullptr;
    std::uint32_t time_ = 0;
};

} // namespace aerolune::test
