// What the whole saver costs at 1920 x 1080, drawn as the host loop draws it
// (frame cycle and compositor, no X server):
// - BM_FirstFrame: from creating the principal view to its first frame in
//   memory, forecast included: the part of "first frame within 150 ms of
//   start" that is the saver's own (process start-up and the X connection
//   come on top; bench/measure-cpu.sh covers the running cost with the server);
// - BM_SteadyFrame/<sky>: one frame of 1/30 s in steady state, with the
//   processor time of clearing the whole frame once in the same run (x_clear).
//
//   build/bench/bench_SaverBench

#include "host/AeroluneSaverView.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/ManualClock.h"
#include "platform/core/Random.h"
#include "platform/core/Time.h"
#include "platform/output/PngOutput.h"
#include "platform/output/RunLoop.h"
#include "store/LocationHelper.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <cstdlib>
#include <time.h>

namespace {

using namespace aerolune;

constexpr Size screen{1920, 1080};

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double clearSeconds() {
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(screen.width), int(screen.height));
    cairo_t* cr = cairo_create(image);
    const double start = threadSeconds();
    constexpr int rounds = 50;
    for (int i = 0; i < rounds; ++i) {
        cairo_set_source_rgb(cr, 0.1, 0.2, double(i) / rounds);
        cairo_paint(cr);
    }
    const double each = (threadSeconds() - start) / rounds;
    cairo_destroy(cr);
    cairo_surface_destroy(image);
    return each;
}

// A saver on a manual clock at `start`, for Paris, drawn into memory.
struct Saver {
    explicit Saver(const char* start)
        : clock(std::make_shared<ManualClock>(parseIso8601(start).value())),
          old(Clock::currentShared()) {
        Clock::setCurrent(clock);
        MainQueue::main().reset();
        Random::reseedShared(1);
        if (!LocationHelper::shared().setOverride(CLLocationCoordinate2D{48.85, 2.35}))
            std::abort();
        view = AeroluneSaverView::create(Rect(Point{}, screen), false);
        view->layoutSubtreeIfNeeded();
        view->displayIfNeeded();
        view->startAnimation();
        loop = std::make_unique<RunLoop>(view, &output);
    }
    ~Saver() {
        loop.reset();
        view.reset();
        MainQueue::main().reset();
        static_cast<void>(LocationHelper::shared().setOverride(std::nullopt));
        Clock::setCurrent(old);
    }

    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<Clock> old;
    PngOutput output{"/dev/null", screen};
    std::shared_ptr<AeroluneSaverView> view;
    std::unique_ptr<RunLoop> loop;
};

void BM_FirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        Saver saver("2024-06-21T12:00:00+02:00");
        saver.loop->runFrame();
        benchmark::DoNotOptimize(saver.output.compositor().image());
    }
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void steadyFrame(benchmark::State& state, const char* start) {
    Saver saver(start);
    saver.loop->advance(*saver.clock, 10); // the loading panel has faded
    const double clear = clearSeconds();
    double cpu = 0;
    for (auto _ : state) {
        const double before = threadSeconds();
        saver.loop->advance(*saver.clock, 1.0 / 30);
        cpu += threadSeconds() - before;
    }
    state.counters["x_clear"] = cpu / double(state.iterations()) / clear;
}
BENCHMARK_CAPTURE(steadyFrame, day, "2024-06-21T12:00:00+02:00")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(steadyFrame, night, "2024-06-22T01:00:00+02:00")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(steadyFrame, sunset, "2024-06-21T22:00:00+02:00")->Unit(benchmark::kMicrosecond);

} // namespace
