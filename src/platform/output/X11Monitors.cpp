#include "platform/output/X11Monitors.h"

#include "platform/output/X11Resources.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace aerolune {

Result<X11Monitors::Largest> X11Monitors::largest() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return failure("cannot open the X display (is DISPLAY set?)");
    const int screen = DefaultScreen(display);
    Largest largest{DisplayWidth(display, screen), DisplayHeight(display, screen),
                    X11Resources::dpi(display)};
    int events = 0, errors = 0, count = 0;
    if (XRRQueryExtension(display, &events, &errors)) {
        XRRMonitorInfo* monitors =
            XRRGetMonitors(display, RootWindow(display, screen), True, &count);
        for (int i = 0; i < count; ++i) {
            const long pixels = long(monitors[i].width) * monitors[i].height;
            if (i == 0 || pixels > long(largest.width) * largest.height)
                largest.width = monitors[i].width, largest.height = monitors[i].height;
        }
        if (monitors)
            XRRFreeMonitors(monitors);
    }
    XCloseDisplay(display);
    return largest;
}

} // namespace aerolune
