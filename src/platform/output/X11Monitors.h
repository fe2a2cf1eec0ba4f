#pragma once

// The monitors of the X display ($DISPLAY), as RandR lists them: for a
// picture made to fill the largest of them (the desktop background), without
// a window of our own.

#include "platform/core/Result.h"

#include <optional>
#include <string>

namespace aerolune {

class X11Monitors {
public:
    X11Monitors() = delete;

    struct Largest {
        int width = 0, height = 0;      // in pixels
        std::optional<std::string> dpi; // the display's Xft.dpi, as written
    };

    // The monitor with the most pixels (the whole screen where RandR lists
    // none), or why the display cannot be asked.
    static Result<Largest> largest();
};

} // namespace aerolune
