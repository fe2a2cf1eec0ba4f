#pragma once

// What the X server's resource database (the root window's RESOURCE_MANAGER,
// where xrdb puts it) says of the display, read through Xlib's resource
// manager as Xft and GTK read it: "Xft.dpi", "Xft*dpi" and "*dpi" all say the
// dots per inch, the most specific winning.

#include <optional>
#include <string>

struct _XDisplay;

namespace aerolune {

class X11Resources {
public:
    X11Resources() = delete;

    // The text of Xft.dpi, or nothing when it is not set.
    static std::optional<std::string> dpi(_XDisplay* display);
};

} // namespace aerolune
