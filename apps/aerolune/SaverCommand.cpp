#include "aerolune/SaverCommand.h"

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
            auto id = X11Output::parseWindowId(named);
            if (auto* problem = std::get_if<std::string>(&id)) {
                err << "aerolune: XSCREENSAVER_WINDOW " << *problem << '\n';
                return std::nullopt;
            }
            target.mode = X11Output::Mode::existingWindow;
            target.windowId = std::get<unsigned long>(id);
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
    std::string problem;
    auto output = X11Output::open(*target, problem);
    if (!output) {
        err << "aerolune: " << problem << '\n';
        return 1;
    }
    SaverSetup::apply(options);
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
    RunLoop loop(host, output.get());
    const int status = loop.run(signals);
    host->stopAnimation();
    return status;
}

} // namespace aerolune::SaverCommand
