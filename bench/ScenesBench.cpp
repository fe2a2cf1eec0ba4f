// What the sky scenes cost: building a day sky (time and heap), one frame of
// drift for the day and the night, and rendering each scene at the sky window
// of a 1920 x 1080 screen (1344 x 504) in steady state, one frame of 1/30 s per
// iteration after the first. Each rendering also reports its processor time as
// a multiple of clearing the same area (x_clear), measured in the same run; on
// a shared machine processor time is the steadier of the two.
//
// The transitions run for 20 simulated minutes (36,000 frames): most frames
// show no change a screen could see, and some redraw the whole gradient. The
// "_everyFrameRedrawn" variants redraw the whole window on every frame, the
// worst frame of each.
//
//   build/bench/bench_ScenesBench

#include "palette/ColorHelper.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/ManualClock.h"
#include "platform/core/Random.h"
#include "platform/render/Compositor.h"
#include "scenes/DayView.h"
#include "scenes/LoadingHostingView.h"
#include "scenes/NightView.h"
#include "transitions/SkyTransitionView.h"
#include "transitions/TransitionView.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <malloc.h>
#include <time.h>

namespace {

using namespace aerolune;

constexpr int windowWidth = 1344;
constexpr int windowHeight = 504;
constexpr double frameInterval = 1.0 / 30;

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Installs a manual clock for the length of a benchmark.
class ManualTime {
public:
    ManualTime() : clock_(std::make_shared<ManualClock>(0)), old_(Clock::currentShared()) {
        Clock::setCurrent(clock_);
        MainQueue::main().reset();
    }
    ~ManualTime() {
        MainQueue::main().reset();
        Clock::setCurrent(old_);
    }
    ManualClock& operator*() const { return *clock_; }

private:
    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<Clock> old_;
};

// Filling the window's area with one colour, the yardstick for a frame.
void clearOnce(cairo_t* cr) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.8);
    cairo_paint(cr);
    cairo_surface_flush(cairo_get_target(cr));
}

// Seconds per clear, measured once per run.
double clearSeconds() {
    static const double seconds = [] {
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, windowWidth, windowHeight);
        cairo_t* cr = cairo_create(surface);
        for (int i = 0; i < 50; ++i)
            clearOnce(cr);
        constexpr int rounds = 4000;
        const double start = threadSeconds();
        for (int i = 0; i < rounds; ++i)
            clearOnce(cr);
        const double elapsed = threadSeconds() - start;
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        return elapsed / rounds;
    }();
    return seconds;
}

void BM_ClearWindowArea(benchmark::State& state) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, windowWidth, windowHeight);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state)
        clearOnce(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_ClearWindowArea)->Unit(benchmark::kMicrosecond);

void BM_DayViewBuild(benchmark::State& state) {
    Random::reseedShared(1);
    std::size_t bytes = 0;
    std::size_t puffs = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        auto view = std::make_shared<DayView>();
        bytes = heapInUse() - before;
        benchmark::DoNotOptimize(view.get());
        state.PauseTiming();
        puffs = 0;
        for (const auto& cloud : view->clouds())
            puffs += cloud->particles().size();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["puffs"] = static_cast<double>(puffs);
    state.counters["heap_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_DayViewBuild)->Unit(benchmark::kMillisecond);

template <typename Scene> std::shared_ptr<Scene> drawnScene() {
    Random::reseedShared(2);
    auto view = std::make_shared<Scene>();
    view->setFrame(Rect(0, 0, windowWidth, windowHeight));
    view->layoutSubtreeIfNeeded();
    view->displayIfNeeded();
    return view;
}

void BM_DayViewAnimate(benchmark::State& state) {
    const auto view = drawnScene<DayView>();
    for (auto _ : state)
        view->animate();
}
BENCHMARK(BM_DayViewAnimate)->Unit(benchmark::kMicrosecond);

void BM_NightViewAnimate(benchmark::State& state) {
    const auto view = drawnScene<NightView>();
    for (auto _ : state)
        view->animate();
}
BENCHMARK(BM_NightViewAnimate)->Unit(benchmark::kMicrosecond);

enum class Redraw { asNeeded, everyFrame };

// Frames as the host loop runs them, one per iteration: due work, the tick,
// layout, display, render.
template <typename Tick>
void renderFrames(benchmark::State& state, View& view, Tick tick,
                  Redraw redraw = Redraw::asNeeded) {
    ManualTime clock;
    Compositor compositor;
    view.setFrame(Rect(0, 0, windowWidth, windowHeight));
    double rectangles = 0, pixels = 0;
    const auto frame = [&] {
        (*clock).advance(frameInterval);
        MainQueue::main().runDue();
        tick();
        view.layoutSubtreeIfNeeded();
        view.displayIfNeeded();
        if (redraw == Redraw::everyFrame)
            compositor.invalidate();
        for (const auto& r : compositor.render(view, (*clock).monotonic())) {
            ++rectangles;
            pixels += static_cast<double>(r.width) * r.height;
        }
    };
    frame(); // the first frame rasterises everything
    frame();
    const double clear = clearSeconds();
    rectangles = pixels = 0;
    const double start = threadSeconds();
    for (auto _ : state)
        frame();
    const auto frames = static_cast<double>(state.iterations());
    const double perFrame = (threadSeconds() - start) / frames;
    state.counters["x_clear"] = perFrame / clear;
    state.counters["clear_us"] = clear * 1e6;
    // What a frame hands on to the screen.
    state.counters["rects"] = rectangles / frames;
    state.counters["pixels"] = pixels / frames;
}

// The transitions' benchmarks cover 20 minutes of frames.
constexpr benchmark::IterationCount twentyMinutes = 30 * 60 * 20;

void BM_RenderDay(benchmark::State& state) {
    const auto view = drawnScene<DayView>();
    renderFrames(state, *view, [&] { view->animate(); });
}
BENCHMARK(BM_RenderDay)->Unit(benchmark::kMicrosecond);

void BM_RenderNight(benchmark::State& state) {
    const auto view = drawnScene<NightView>();
    renderFrames(state, *view, [&] { view->animate(); });
}
BENCHMARK(BM_RenderNight)->Unit(benchmark::kMicrosecond);

void BM_RenderSunset(benchmark::State& state) {
    auto view = std::make_shared<SkyTransitionView>(SkyTransitionView::SkyTransitionType::sunset);
    renderFrames(state, *view, [&] { view->animate(); });
}
BENCHMARK(BM_RenderSunset)->Unit(benchmark::kMicrosecond)->Iterations(twentyMinutes);

void BM_RenderSunset_everyFrameRedrawn(benchmark::State& state) {
    auto view = std::make_shared<SkyTransitionView>(SkyTransitionView::SkyTransitionType::sunset);
    renderFrames(
        state, *view, [&] { view->animate(); }, Redraw::everyFrame);
}
BENCHMARK(BM_RenderSunset_everyFrameRedrawn)->Unit(benchmark::kMicrosecond);

void BM_RenderGradientWalk(benchmark::State& state) {
    Random::reseedShared(3);
    auto view = std::make_shared<TransitionView>(ColorHelper::cobalt());
    // Started on the benchmark's own clock; later calls do nothing.
    renderFrames(state, *view, [&] { view->start(); });
}
BENCHMARK(BM_RenderGradientWalk)->Unit(benchmark::kMicrosecond)->Iterations(twentyMinutes);

void BM_RenderGradientWalk_everyFrameRedrawn(benchmark::State& state) {
    Random::reseedShared(3);
    auto view = std::make_shared<TransitionView>(ColorHelper::cobalt());
    renderFrames(
        state, *view, [&] { view->start(); }, Redraw::everyFrame);
}
BENCHMARK(BM_RenderGradientWalk_everyFrameRedrawn)->Unit(benchmark::kMicrosecond);

void BM_RenderLoading(benchmark::State& state) {
    auto view = std::make_shared<LoadingHostingView>(std::nullopt, Rect());
    renderFrames(state, *view, [&] { view->animate(); });
}
BENCHMARK(BM_RenderLoading)->Unit(benchmark::kMicrosecond);

void BM_RenderLoading_everyFrameRedrawn(benchmark::State& state) {
    auto view = std::make_shared<LoadingHostingView>(std::nullopt, Rect());
    renderFrames(
        state, *view, [&] { view->animate(); }, Redraw::everyFrame);
}
BENCHMARK(BM_RenderLoading_everyFrameRedrawn)->Unit(benchmark::kMicrosecond);

} // namespace
