#include "aerolune/SaverCommand.h"

#include "aerolune/BatteryWatch.h"
#include "aerolune/DeviceScale.h"
#include "aerolune/SaverHostView.h"
#include "aerolune/SaverSetup.h"
#include "aerolune/WaylandSaver.h"
#include "platform/output/RunLoop.h"
#include "platform/output/X11Output.h"

#include <cstdlib>

namespace aerolune::SaverCommand {
namespace {

// -window-id wins; -root means XScreenSaver's window when it names one.
std::optional<X11Output::Target> targetFor(const Options& options, std::ostream& err) {
    X11Output::Target target;
    if (options.windowId) {
        target.mode = X11Output::Mode::existingWindow;
        target.windowId = *options.windowId;
    } else if (options.root) {
        target.mode = X11Output::Mode::rootWindow;
        if (const char* named = std::getenv("XSCREENSAVER_WINDOW"); named && *named) {
            const auto id = X11Output::parseWindowId(named);
            if (!id) {
                err << "aerolune: XSCREENSAVER_WINDOW " << id.error().message << '\n';
                return std::nullopt;
            }
            target.mode = X11Output::Mode::existingWindow;
            target.windowId = *id;
        }
    }
    return target;
}

} // namespace

int run(const Options& options, const SignalWatcher& signals, std::ostream& err) {
    if (signals.received())
        return 0;
    if (WaylandSaver::chosen(options, std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY")))
        return WaylandSaver::run(options, signals, err);
    const auto target = targetFor(options, err);
    if (!target)
        return 1;
    auto opened = X11Output::open(*target);
    if (!opened) {
        err << "aerolune: " << opened.error().message << '\n';
        return 1;
    }
    const std::unique_ptr<X11Output> output = std::move(opened).value();
    output->setScale(DeviceScale::choose(options.scale, std::getenv("AEROLUNE_SCALE"),
                                         std::getenv("GDK_SCALE"), output->resourceDpi()));
    SaverSetup::apply(options, SaverSetup::Run::onScreen);
    const auto frameRate =
        options.fps ? SaverHostView::FrameRate::shown : SaverHostView::FrameRate::hidden;
    auto host = SaverHostView::create(Rect(Point{}, output->size()), options.preview, frameRate);
    if (!host) {
        err << "aerolune: the window has no usable size\n";
        return 1;
    }
    // As a screen-saver host does: draw once, then start, then frames.
    host->layoutSubtreeIfNeeded();
    host->displayIfNeeded();
    host->startAnimation();
    std::shared_ptr<BatteryWatch> battery;
    if (options.onBattery == Options::OnBattery::still)
        battery = BatteryWatch::start([weak = std::weak_ptr(host)](bool still) {
            if (const auto shown = weak.lock())
                shown->setStill(still);
        });
    RunLoop loop(host, output.get());
    const int status = loop.run(signals);
    host->stopAnimation();
    return status;
}

} // namespace aerolune::SaverCommand
