#include "aerolune/WallpaperCommand.h"

#include "aerolune/DeviceScale.h"
#include "aerolune/WallpaperRun.h"
#include "desktop/BackgroundPictures.h"
#include "desktop/DesktopBackground.h"
#include "platform/core/Clock.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/MainQueue.h"
#include "platform/core/SystemClock.h"
#include "platform/output/PngOutput.h"
#include "platform/output/WaylandDisplay.h"
#include "platform/output/X11Monitors.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <ostream>

namespace aerolune::WallpaperCommand {
namespace {

namespace fs = std::filesystem;

struct Screen {
    Size pixels;
    double scale = 1;
};

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The largest monitor of the session's display, at its scale.
Result<Screen> screenFor(const Options& options) {
    if (options.size)
        return Screen{*options.size, options.scale.value_or(1)};
    if (isSet("WAYLAND_DISPLAY")) {
        if (auto display = WaylandDisplay::connect()) {
            std::optional<Screen> largest;
            for (const auto& monitor : (*display)->monitors()) {
                const Size pixels{double(monitor->pixelWidth()), double(monitor->pixelHeight())};
                if (monitor->isDescribed() && pixels.width > 0 &&
                    (!largest ||
                     pixels.width * pixels.height > largest->pixels.width * largest->pixels.height))
                    largest = Screen{pixels, options.scale.value_or(monitor->scale())};
            }
            if (largest)
                return *largest;
        }
    }
    if (isSet("DISPLAY")) {
        const auto largest = X11Monitors::largest();
        if (!largest)
            return largest.error();
        return Screen{Size{double(largest->width), double(largest->height)},
                      DeviceScale::choose(options.scale, std::getenv("AEROLUNE_SCALE"),
                                          std::getenv("GDK_SCALE"), largest->dpi)};
    }
    return failure(tr("cannot tell the size of the screen (neither WAYLAND_DISPLAY nor DISPLAY "
                      "is set): give it with --size WxH"));
}

int restore(std::ostream& out, std::ostream& err) {
    auto pictures = BackgroundPictures::open();
    if (!pictures) {
        err << "aerolune: " << pictures.error().message << '\n';
        return 1;
    }
    const auto saved = pictures->saved();
    if (!saved) {
        out << tr("nothing to put back: no earlier background is saved (it was put back "
                  "already, or no picture was set)")
            << '\n';
        return 0;
    }
    auto desktop = DesktopBackground::forDesktop(saved->first);
    if (!desktop) {
        err << "aerolune: " << desktop.error().message << '\n';
        return 1;
    }
    if (auto restored = (*desktop)->restore(saved->second); !restored) {
        err << "aerolune: " << restored.error().message << '\n';
        return 1;
    }
    pictures->forget();
    pictures->keepOnly({});
    out << Localization::format(tr("the %s background set before the sky's is back"),
                                {(*desktop)->name()})
        << '\n';
    return 0;
}

} // namespace

int run(const Options& options, const SignalWatcher& signals, std::ostream& out,
        std::ostream& err) {
    if (options.restore)
        return restore(out, err);
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    auto desktop = DesktopBackground::forDesktop(!options.desktop.empty() ? options.desktop
                                                 : current                ? current
                                                                          : "");
    if (!desktop) {
        err << "aerolune: " << desktop.error().message << '\n';
        return 1;
    }
    auto pictures = BackgroundPictures::open();
    if (!pictures) {
        err << "aerolune: " << pictures.error().message << '\n';
        return 1;
    }
    const auto screen = screenFor(options);
    if (!screen) {
        err << "aerolune: " << screen.error().message << '\n';
        return 1;
    }
    SystemClock real;
    WallpaperRun wallpaper(
        options, screen->pixels, screen->scale, std::move(desktop).value(),
        std::move(pictures).value(),
        {real, [&signals](double seconds) { MainQueue::main().wait(seconds, {signals.fd()}); },
         [&signals] { return signals.received() != 0; }});
    return wallpaper.run(out, err);
}

} // namespace aerolune::WallpaperCommand
