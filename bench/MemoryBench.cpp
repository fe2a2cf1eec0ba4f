// What the whole saver keeps in memory at 1920 x 1080 over a day of its life,
// drawn as the host loop draws it (no X server), on a manual clock from a
// summer noon in Paris through sunset, night and sunrise back to noon. One
// frame is drawn every 10 seconds of the day, the delayed work in between
// running on time, so that every view, fade and gradient step of a day comes
// and goes while clouds and stars move as they would.
// Counters, in MB of resident memory (whole process, the benchmark library
// included): rss_day after the first simulated hour of day sky, rss_peak the
// most seen at any hour, rss_growth from that first hour to the end.
//
//   build/bench/bench_MemoryBench

#include "host/AeroluneSaverView.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/ManualClock.h"
#include "platform/core/Random.h"
#include "platform/core/Time.h"
#include "platform/output/PngOutput.h"
#include "platform/output/RunLoop.h"
#include "store/LocationHelper.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

using namespace aerolune;

constexpr Size screen{1920, 1080};

double residentMegabytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_DayOfFrames(benchmark::State& state) {
    for (auto _ : state) {
        auto clock =
            std::make_shared<ManualClock>(parseIso8601("2024-06-21T12:00:00+02:00").value());
        const auto old = Clock::currentShared();
        Clock::setCurrent(clock);
        MainQueue::main().reset();
        Random::reseedShared(1);
        if (!LocationHelper::shared().setOverride(CLLocationCoordinate2D{48.85, 2.35}))
            std::abort();
        PngOutput output("/dev/null", screen);
        {
            auto view = AeroluneSaverView::create(Rect(Point{}, screen), false);
            view->layoutSubtreeIfNeeded();
            view->displayIfNeeded();
            view->startAnimation();
            RunLoop loop(view, &output);
            constexpr int hours = 24, framesPerHour = 360;
            double day = 0, peak = 0;
            for (int hour = 0; hour < hours; ++hour) {
                for (int frame = 0; frame < framesPerHour; ++frame) {
                    loop.runFrame();
                    MainQueue::main().advance(*clock, 3600.0 / framesPerHour);
                }
                const double now = residentMegabytes();
                peak = std::max(peak, now);
                if (hour == 0)
                    day = now;
            }
            state.counters["rss_day"] = day;
            state.counters["rss_peak"] = peak;
            state.counters["rss_growth"] = residentMegabytes() - day;
            view->stopAnimation();
        }
        MainQueue::main().reset();
        static_cast<void>(LocationHelper::shared().setOverride(std::nullopt));
        Clock::setCurrent(old);
    }
}
BENCHMARK(BM_DayOfFrames)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
