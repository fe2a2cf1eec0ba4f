#pragma once

// The saver on a Wayland desktop: with --layer, one surface and one saver view
// per monitor (as XScreenSaver runs one hack per screen), as a wallpaper
// beneath the windows or as an overlay above everything; otherwise in a window.
//
// Monitors that appear while it runs get a surface and a view once the
// compositor has sized the surface; monitors that go, or whose surface the
// compositor closes, lose theirs, and the saver runs on, with none if need be.
// A closed surface is not made again for the same monitor.
//
// The run ends with status 0 on SIGTERM or SIGINT, when the compositor goes
// away, when the window is closed or takes q, Escape or Ctrl+C, and for the
// overlay on the first key press, button press, or pointer movement of more
// than a few points from where the pointer came onto it (so that the
// pointer's first report, and a jitter, do not end it).

#include "aerolune/BatteryWatch.h"
#include "aerolune/Options.h"
#include "aerolune/SaverHostView.h"
#include "platform/core/Result.h"
#include "platform/core/SignalWatcher.h"
#include "platform/output/EventSource.h"
#include "platform/output/RunLoop.h"
#include "platform/output/WaylandDisplay.h"
#include "platform/output/WaylandSurface.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace aerolune {

class WaylandSaver : public EventSource {
public:
    // Whether a saver run goes to Wayland: when asked (--layer, --wayland), or
    // in a Wayland session without X (WAYLAND_DISPLAY set, DISPLAY not).
    // -root and -window-id are X11's.
    static bool chosen(const Options& options, const char* waylandDisplay, const char* x11Display);

    // The run's exit status: 0 as above; 1, with one line on `err`, when
    // there is no compositor, it lacks what the mode needs, or --output names
    // no monitor it has.
    static int run(const Options& options, const SignalWatcher& signals, std::ostream& err);

    int eventFd() const override;
    bool processEvents() override;

private:
    struct Screen {
        std::unique_ptr<WaylandSurface> surface;
        std::shared_ptr<SaverHostView> view;
        std::optional<std::uint32_t> monitor; // layer surfaces only
        std::string place;                    // for the log: "on DP-1", "in a window"
        double scaleLogged = 0;
    };

    WaylandSaver(const Options& options, std::unique_ptr<WaylandDisplay> display);
    ~WaylandSaver() override;

    Result<void> start();
    Result<void> checkOutputName() const;
    void listenToInput();
    void pointerAt(wl_surface* surface, double x, double y, bool entered);
    // Brings the screens in line with the monitors and surfaces after events.
    void reconcile();
    void addLayerSurfaces();
    void dropClosedScreens();
    void startViews();
    void logScale(Screen& screen);
    void remove(Screen& screen);

    const Options& options_;
    std::unique_ptr<WaylandDisplay> display_;
    RunLoop loop_{this};
    std::vector<Screen> screens_;
    std::set<std::uint32_t> closedMonitors_;
    struct PointerMark {
        wl_surface* surface;
        double x, y;
    };
    std::optional<PointerMark> pointerMark_;
    bool ended_ = false;
    std::shared_ptr<BatteryWatch> battery_;
};

} // namespace aerolune
