#include "platform/output/X11Resources.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <cstring>

namespace aerolune {

std::optional<std::string> X11Resources::dpi(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (!resources)
        return std::nullopt;
    XrmInitialize();
    const XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database)
        return std::nullopt;
    char* type = nullptr;
    XrmValue value{};
    std::optional<std::string> dpi;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
        dpi = std::string(value.addr, ::strnlen(value.addr, value.size));
    XrmDestroyDatabase(database);
    return dpi;
}

} // namespace aerolune
