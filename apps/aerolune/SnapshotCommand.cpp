#include "aerolune/SnapshotCommand.h"

#include "aerolune/SaverHostView.h"
#include "aerolune/SaverSetup.h"
#include "host/SkySimulation.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/SystemClock.h"
#include "platform/output/PngOutput.h"
#include "platform/output/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace aerolune::SnapshotCommand {

int run(const Options& options, std::ostream& err) {
    const TimePoint start = options.at.value_or(SystemClock().now());
    auto clock = std::make_shared<ManualClock>(start);
    Clock::setCurrent(clock);
    MainQueue::main().reset();
    SaverSetup::apply(options, SaverSetup::Run::headless);

    // The picture's pixels, and the points they show at the scale.
    const double scale = options.scale.value_or(1);
    const Size pixels = options.size.value_or(defaultSize);
    const Size size{pixels.width / scale, pixels.height / scale};
    PngOutput png(options.snapshotPath, size, scale);
    auto host = SaverHostView::create(Rect(Point{}, size), options.preview,
                                      SaverHostView::FrameRate::hidden);
    host->layoutSubtreeIfNeeded();
    host->displayIfNeeded();
    const double after = options.after.value_or(defaultSeconds);
    // Up to the last second the saver's logic runs alone, from one moment that
    // matters to the next; that second is drawn frame by frame. The handover
    // falls on a frame of the grid the whole run keeps to.
    const double interval = host->animationTimeInterval();
    const double skipped = std::floor(std::max(0.0, after - drawnSeconds) / interval) * interval;
    SkySimulation simulation(*host, *host->saver()->skySaverView()->skyCoordinator(), *clock);
    if (skipped > 0) {
        simulation.start();
        simulation.run(skipped);
    } else {
        host->startAnimation();
    }
    RunLoop loop(host, &png);
    loop.advance(*clock, after - skipped);
    loop.runFrame();
    host->stopAnimation();
    if (const auto saved = png.save(); !saved) {
        err << "aerolune: " << saved.error().message << '\n';
        return 1;
    }
    return 0;
}

} // namespace aerolune::SnapshotCommand
