#pragma once

// The keyboard and pointer of a Wayland seat, as the saver needs them: which
// key was pressed (as a keysym of the user's keymap), that a button was
// pressed, and where the pointer is on which of our surfaces. Devices come and
// go with the seat's capabilities (a keyboard plugged in, a virtual one made
// by a test); the keyboard's keymap is read with xkbcommon.

#include <cstdint>
#include <functional>
#include <memory>

struct wl_seat;
struct wl_surface;

namespace aerolune {

class WaylandInput {
public:
    struct Handlers {
        // A key went down: its keysym (0 before a keymap arrived) and whether
        // Control was held. Keys already down when the keyboard came to one of
        // our surfaces are not reported.
        std::function<void(std::uint32_t keysym, bool control)> keyPressed;
        std::function<void()> buttonPressed;
        // The pointer came onto `surface` at (x, y) in its coordinates.
        std::function<void(wl_surface* surface, double x, double y)> pointerEntered;
        // The pointer moved to (x, y) on the surface it last entered.
        std::function<void(double x, double y)> pointerMoved;
    };

    WaylandInput();
    ~WaylandInput();
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;

    // Takes the seat bound from the registry (one is enough for a saver).
    void setSeat(wl_seat* seat);
    bool hasSeat() const;
    void setHandlers(Handlers handlers);

    struct Devices;

private:
    std::unique_ptr<Devices> devices_;
};

} // namespace aerolune
