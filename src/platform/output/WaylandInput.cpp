#include "platform/output/WaylandInput.h"

#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace aerolune {

struct WaylandInput::Devices {
    wl_seat* seat = nullptr;
    std::uint32_t seatVersion = 0;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    Handlers handlers;

    ~Devices() {
        setCapabilities(0);
        dropKeymap();
        if (context)
            xkb_context_unref(context);
        if (seat)
            seatVersion >= WL_SEAT_RELEASE_SINCE_VERSION ? wl_seat_release(seat)
                                                         : wl_seat_destroy(seat);
    }

    void dropKeymap() {
        if (state)
            xkb_state_unref(state);
        if (keymap)
            xkb_keymap_unref(keymap);
        state = nullptr;
        keymap = nullptr;
    }

    template <typename Device>
    void release(Device*& device, void (*releaseCall)(Device*), void (*destroyCall)(Device*)) {
        if (!device)
            return;
        (seatVersion >= 3 ? releaseCall : destroyCall)(device);
        device = nullptr;
    }

    void setCapabilities(std::uint32_t capabilities) {
        const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
        const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
        if (hasKeyboard && !keyboard) {
            keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(keyboard, &keyboardListener, this);
        } else if (!hasKeyboard) {
            release(keyboard, wl_keyboard_release, wl_keyboard_destroy);
        }
        if (hasPointer && !pointer) {
            pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(pointer, &pointerListener, this);
        } else if (!hasPointer) {
            release(pointer, wl_pointer_release, wl_pointer_destroy);
        }
    }

    // The compositor hands the keymap over as a file to map, in xkb's text form.
    void readKeymap(std::uint32_t format, int fd, std::uint32_t size) {
        dropKeymap();
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && context && size > 0) {
            void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (text != MAP_FAILED) {
                keymap = xkb_keymap_new_from_buffer(context, static_cast<const char*>(text),
                                                    size - 1, XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
                munmap(text, size);
            }
        }
        close(fd);
        if (keymap)
            state = xkb_state_new(keymap);
    }

    void key(std::uint32_t key, std::uint32_t pressed) {
        if (pressed != WL_KEYBOARD_KEY_STATE_PRESSED || !handlers.keyPressed)
            return;
        // Wayland sends evdev codes; xkb's are 8 higher, as in X11.
        const xkb_keysym_t keysym = state ? xkb_state_key_get_one_sym(state, key + 8) : 0;
        const bool control = state && xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CTRL,
                                                                   XKB_STATE_MODS_EFFECTIVE) > 0;
        handlers.keyPressed(keysym, control);
    }

    static void capabilities(void* data, wl_seat*, std::uint32_t capabilities) {
        static_cast<Devices*>(data)->setCapabilities(capabilities);
    }
    static void name(void*, wl_seat*, const char*) {}
    // Tables name their events: each libwayland adds events to some, and a
    // table filled in order would miss the newer ones (they stay empty here;
    // the versions bound never send them).
    static constexpr wl_seat_listener seatListener = [] {
        wl_seat_listener listener{};
        listener.capabilities = capabilities;
        listener.name = name;
        return listener;
    }();

    static void keymapEvent(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                            std::uint32_t size) {
        static_cast<Devices*>(data)->readKeymap(format, fd, size);
    }
    static void keyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
    static void keyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
    static void keyEvent(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                         std::uint32_t state) {
        static_cast<Devices*>(data)->key(key, state);
    }
    static void modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                          std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
        auto* self = static_cast<Devices*>(data);
        if (self->state)
            xkb_state_update_mask(self->state, depressed, latched, locked, 0, 0, group);
    }
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
    static constexpr wl_keyboard_listener keyboardListener = [] {
        wl_keyboard_listener listener{};
        listener.keymap = keymapEvent;
        listener.enter = keyboardEnter;
        listener.leave = keyboardLeave;
        listener.key = keyEvent;
        listener.modifiers = modifiers;
        listener.repeat_info = repeatInfo;
        return listener;
    }();

    static void pointerEnter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface,
                             wl_fixed_t x, wl_fixed_t y) {
        auto& handlers = static_cast<Devices*>(data)->handlers;
        if (handlers.pointerEntered)
            handlers.pointerEntered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void pointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
    static void motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto& handlers = static_cast<Devices*>(data)->handlers;
        if (handlers.pointerMoved)
            handlers.pointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t state) {
        auto& handlers = static_cast<Devices*>(data)->handlers;
        if (state == WL_POINTER_BUTTON_STATE_PRESSED && handlers.buttonPressed)
            handlers.buttonPressed();
    }
    static void axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
    static void frame(void*, wl_pointer*) {}
    static void axisSource(void*, wl_pointer*, std::uint32_t) {}
    static void axisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
    static void axisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
    // Every event of the seat's version bound (5) has its function.
    static constexpr wl_pointer_listener pointerListener = [] {
        wl_pointer_listener listener{};
        listener.enter = pointerEnter;
        listener.leave = pointerLeave;
        listener.motion = motion;
        listener.button = button;
        listener.axis = axis;
        listener.frame = frame;
        listener.axis_source = axisSource;
        listener.axis_stop = axisStop;
        listener.axis_discrete = axisDiscrete;
        return listener;
    }();
};

WaylandInput::WaylandInput() : devices_(std::make_unique<Devices>()) {}

WaylandInput::~WaylandInput() = default;

void WaylandInput::setSeat(wl_seat* seat) {
    if (devices_->seat)
        return;
    devices_->seat = seat;
    devices_->seatVersion = wl_seat_get_version(seat);
    wl_seat_add_listener(seat, &Devices::seatListener, devices_.get());
}

bool WaylandInput::hasSeat() const {
    return devices_->seat != nullptr;
}

void WaylandInput::setHandlers(Handlers handlers) {
    devices_->handlers = std::move(handlers);
}

} // namespace aerolune
