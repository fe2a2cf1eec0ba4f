#include "aerolune/WaylandSaver.h"

#include "aerolune/SaverSetup.h"
#include "platform/core/Log.h"
#include "platform/output/LayerSurface.h"
#include "platform/output/ToplevelSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <xkbcommon/xkbcommon-keysyms.h>

namespace aerolune {
namespace {

// How far the pointer may wander over the overlay before it counts as the
// user's movement: a jitter of a pixel or two is not one.
constexpr double wakeDistance = 5;

bool isSet(const char* variable) {
    return variable && *variable;
}

bool isQuitKey(std::uint32_t keysym, bool control) {
    return keysym == XKB_KEY_q || keysym == XKB_KEY_Q || keysym == XKB_KEY_Escape ||
           (control && (keysym == XKB_KEY_c || keysym == XKB_KEY_C));
}

} // namespace

bool WaylandSaver::chosen(const Options& options, const char* waylandDisplay,
                          const char* x11Display) {
    if (options.layer || options.wayland)
        return true;
    if (options.root || options.windowId)
        return false;
    return isSet(waylandDisplay) && !isSet(x11Display);
}

int WaylandSaver::run(const Options& options, const SignalWatcher& signals, std::ostream& err) {
    if (signals.received())
        return 0;
    auto display = WaylandDisplay::connect();
    if (!display) {
        err << "aerolune: " << display.error().message << '\n';
        return 1;
    }
    SaverSetup::apply(options, SaverSetup::Run::onScreen);
    WaylandSaver saver(options, std::move(display.value()));
    if (auto started = saver.start(); !started) {
        err << "aerolune: " << started.error().message << '\n';
        return 1;
    }
    const int status = saver.loop_.run(signals);
    if (const auto problem = saver.display_->protocolError(); !problem.empty()) {
        err << "aerolune: " << problem << '\n';
        return 1;
    }
    return status;
}

WaylandSaver::WaylandSaver(const Options& options, std::unique_ptr<WaylandDisplay> display)
    : options_(options), display_(std::move(display)) {}

WaylandSaver::~WaylandSaver() {
    for (auto& screen : screens_)
        remove(screen);
}

Result<void> WaylandSaver::start() {
    listenToInput();
    if (options_.onBattery == Options::OnBattery::still)
        battery_ = BatteryWatch::start([this](bool still) {
            for (auto& screen : screens_)
                if (screen.view)
                    screen.view->setStill(still);
        });
    if (!options_.layer) {
        ToplevelSurface::Options window;
        window.fullscreen = options_.fullscreen;
        auto surface = ToplevelSurface::create(*display_, window);
        if (!surface)
            return surface.error();
        screens_.push_back({std::move(surface.value()), nullptr, std::nullopt, "in a window"});
        return {};
    }
    if (!display_->layerShell())
        return failure(
            "this compositor has no layer-shell support; run without --layer for a window");
    if (auto named = checkOutputName(); !named)
        return named;
    reconcile();
    return {};
}

Result<void> WaylandSaver::checkOutputName() const {
    if (options_.outputName.empty())
        return {};
    std::string names;
    for (const auto& monitor : display_->monitors()) {
        if (monitor->name() == options_.outputName)
            return {};
        names.append(names.empty() ? "" : ", ").append(monitor->name());
    }
    return failure(
        "there is no output named \"" + options_.outputName + "\"" +
        (names.empty() ? std::string(" (there are none)") : "; the outputs are " + names));
}

void WaylandSaver::listenToInput() {
    WaylandInput::Handlers handlers;
    if (!options_.layer) {
        handlers.keyPressed = [this](std::uint32_t keysym, bool control) {
            ended_ = ended_ || isQuitKey(keysym, control);
        };
    } else if (*options_.layer == Options::WaylandLayer::overlay) {
        handlers.keyPressed = [this](std::uint32_t, bool) { ended_ = true; };
        handlers.buttonPressed = [this] { ended_ = true; };
        handlers.pointerEntered = [this](wl_surface* s, double x, double y) {
            pointerAt(s, x, y, true);
        };
        handlers.pointerMoved = [this](double x, double y) { pointerAt(nullptr, x, y, false); };
    }
    display_->input().setHandlers(std::move(handlers));
}

// Where the pointer came onto a surface is where it is measured from; a
// movement is measured on the surface it entered last.
void WaylandSaver::pointerAt(wl_surface* surface, double x, double y, bool entered) {
    if (entered || !pointerMark_) {
        pointerMark_ = PointerMark{entered ? surface : nullptr, x, y};
        return;
    }
    if (std::hypot(x - pointerMark_->x, y - pointerMark_->y) > wakeDistance)
        ended_ = true;
}

int WaylandSaver::eventFd() const {
    return display_->eventFd();
}

bool WaylandSaver::processEvents() {
    if (!display_->processEvents())
        return false;
    reconcile();
    display_->flush();
    return !ended_;
}

void WaylandSaver::reconcile() {
    dropClosedScreens();
    if (options_.layer)
        addLayerSurfaces();
    startViews();
    for (auto& screen : screens_) {
        screen.surface->refreshScale();
        logScale(screen);
    }
}

void WaylandSaver::logScale(Screen& screen) {
    const double scale = screen.surface->deviceScale();
    if (!screen.view || scale == screen.scaleLogged)
        return;
    const Size size = screen.surface->size();
    char line[160];
    std::snprintf(line, sizeof line, "showing %s: %gx%g points at scale %g", screen.place.c_str(),
                  size.width, size.height, scale);
    systemLog(line);
    screen.scaleLogged = scale;
}

void WaylandSaver::addLayerSurfaces() {
    const auto level = *options_.layer == Options::WaylandLayer::overlay
                           ? LayerSurface::Level::overlay
                           : LayerSurface::Level::background;
    for (const auto& monitor : display_->monitors()) {
        const std::uint32_t name = monitor->globalName();
        const bool shown = std::any_of(screens_.begin(), screens_.end(),
                                       [name](const Screen& s) { return s.monitor == name; });
        if (shown || closedMonitors_.count(name) || !monitor->isDescribed() ||
            (!options_.outputName.empty() && monitor->name() != options_.outputName))
            continue;
        auto surface = LayerSurface::create(*display_, *monitor, level);
        if (!surface) {
            systemLog(surface.error().message);
            continue;
        }
        screens_.push_back({std::move(surface.value()), nullptr, name, "on " + monitor->name()});
    }
}

void WaylandSaver::dropClosedScreens() {
    const auto& monitors = display_->monitors();
    auto present = [&monitors](std::uint32_t name) {
        return std::any_of(monitors.begin(), monitors.end(),
                           [name](const auto& m) { return m->globalName() == name; });
    };
    std::erase_if(closedMonitors_, [&](std::uint32_t name) { return !present(name); });
    for (auto& screen : screens_) {
        const bool monitorGone = screen.monitor && !present(*screen.monitor);
        if (screen.surface->isClosed() && !options_.layer)
            ended_ = true; // the window's close button
        if (!monitorGone && !screen.surface->isClosed())
            continue;
        // A window has no monitor to remember; a layer surface's monitor
        // must not get another that the compositor would close again.
        if (!monitorGone && screen.monitor)
            closedMonitors_.insert(*screen.monitor);
        systemLog(monitorGone ? "the output is gone: no longer showing " + screen.place
                              : "the compositor closed the surface " + screen.place);
        remove(screen);
    }
    std::erase_if(screens_, [](const Screen& s) { return !s.surface; });
}

// A view is made once the compositor has sized its surface, and is drawn
// once before it starts, as a screen-saver host does.
void WaylandSaver::startViews() {
    for (auto& screen : screens_) {
        if (screen.view || !screen.surface->wantsFrame())
            continue;
        const auto frameRate =
            options_.fps ? SaverHostView::FrameRate::shown : SaverHostView::FrameRate::hidden;
        screen.view = SaverHostView::create(Rect(Point{}, screen.surface->size()), options_.preview,
                                            frameRate);
        if (!screen.view)
            continue;
        if (battery_)
            screen.view->setStill(battery_->still());
        screen.view->layoutSubtreeIfNeeded();
        screen.view->displayIfNeeded();
        screen.view->startAnimation();
        loop_.addScreen(screen.view, screen.surface.get());
    }
}

void WaylandSaver::remove(Screen& screen) {
    if (screen.view) {
        loop_.removeScreen(screen.surface.get());
        screen.view->stopAnimation();
        screen.view.reset();
    }
    screen.surface.reset();
}

} // namespace aerolune
