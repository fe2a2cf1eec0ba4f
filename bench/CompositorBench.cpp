// The compositor at 1920x1080 on one core, against the cost of clearing the
// whole frame to one colour measured in the same run (the "x_clear" counter,
// from thread CPU time like "ms_per_frame"):
// - a frame where nothing changed, against a full redraw of the same frame;
// - a day-sky-like scene: 25 clouds of about 2,500 discs of 9 px at alpha 0 to
//   0.2, every cloud moving by a fraction of a pixel each frame over a flat
//   background, and its first frame, which rasterises every disc;
// - a full-screen two-colour gradient whose colours animate, on frames where
//   the shown colours change and on frames where they do not.

#include "platform/core/Random.h"
#include "platform/render/Compositor.h"
#include "platform/view/GradientLayer.h"
#include "platform/view/Transaction.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <map>

namespace {

using namespace aerolune;

// Thread CPU time: the machine running these may be busy with other work, and
// the budgets are for one core.
double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr int frameWidth = 1920, frameHeight = 1080;

// The clear of the whole frame, as the least time of several rounds: the
// least is what the work costs when nothing else gets in the way, on this
// machine that others may share.
double clearSeconds() {
    CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frameWidth, frameHeight));
    CairoContext cr(cairo_create(image.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    double least = 1e9;
    for (int round = 0; round < 40; ++round) {
        const double start = cpuNow();
        for (int i = 0; i < 10; ++i) {
            cairo_set_source_rgb(cr.get(), 0.64, 0.87, (i & 1) ? 0.98 : 0.97);
            cairo_paint(cr.get());
            cairo_surface_flush(image.get());
        }
        least = std::min(least, (cpuNow() - start) / 10);
    }
    return least;
}

// Per frame: the mean, and the ratio to a clear measured right after.
void reportAgainstClear(benchmark::State& state, double seconds, std::int64_t frames) {
    const double perFrame = frames ? seconds / static_cast<double>(frames) : 0;
    const double clear = clearSeconds();
    state.counters["ms_per_frame"] = perFrame * 1e3;
    state.counters["x_clear"] = perFrame / clear;
    state.counters["clear_ms"] = clear * 1e3;
}

struct CloudScene {
    std::shared_ptr<View> root = std::make_shared<View>(Rect(0, 0, frameWidth, frameHeight));
    std::vector<std::shared_ptr<Layer>> clouds;
    std::vector<double> speeds;
    std::size_t discs = 0;

    CloudScene() {
        Random random(42);
        root->setWantsLayer(true);
        root->layer()->setBackgroundColor(Color(164 / 255.0, 221 / 255.0, 250 / 255.0));
        for (int c = 0; c < 25; ++c) {
            const double w = std::round(random.uniform(150, 350));
            const double h = std::round(random.uniform(0.5, 0.8) * w);
            auto cloud = std::make_shared<Layer>();
            const double norm = w * h * 0.25 * 5.0;
            for (int i = 0; i < static_cast<int>(w) / 4; ++i)
                for (int j = 0; j < static_cast<int>(h) / 4; ++j) {
                    const double px = 4 * i, py = 4 * j;
                    const double dx = px < w / 2 ? px : w - px, dy = py < h / 2 ? py : h - py;
                    auto puff = std::make_shared<Layer>();
                    puff->setBackgroundColor(
                        Color(250 / 255.0, 250 / 255.0, 250 / 255.0, dy * dx / norm));
                    puff->setFrame(Rect(px, py, 9, 9));
                    puff->setCornerRadius(4.5);
                    cloud->addSublayer(std::move(puff));
                    ++discs;
                }
            cloud->setFrame(Rect(random.uniform(-100, frameWidth + 100),
                                 random.uniform(-100, frameHeight), w, h));
            root->layer()->addSublayer(cloud);
            clouds.push_back(cloud);
            speeds.push_back(random.uniform(0.05, 0.7));
        }
    }

    void drift() {
        for (std::size_t i = 0; i < clouds.size(); ++i) {
            Rect frame = clouds[i]->frame();
            frame.origin.x -= speeds[i];
            if (frame.maxX() < 0)
                frame.origin.x = frameWidth + 100;
            clouds[i]->setFrame(frame);
        }
    }
};

void BM_Clear(benchmark::State& state) {
    CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frameWidth, frameHeight));
    CairoContext cr(cairo_create(image.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    int i = 0;
    for (auto _ : state) {
        cairo_set_source_rgb(cr.get(), 0.64, 0.87, (++i & 1) ? 0.98 : 0.97);
        cairo_paint(cr.get());
        cairo_surface_flush(image.get());
    }
}
BENCHMARK(BM_Clear)->Unit(benchmark::kMillisecond);

void BM_CloudSceneFirstFrame(benchmark::State& state) {
    double seconds = 0;
    std::size_t discs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CloudScene scene;
        discs = scene.discs;
        Compositor compositor;
        state.ResumeTiming();
        const double start = cpuNow();
        compositor.render(*scene.root, 0);
        seconds += (cpuNow() - start);
        state.PauseTiming();
        scene = CloudScene(); // the old tree goes outside the timing
        state.ResumeTiming();
    }
    state.counters["discs"] = static_cast<double>(discs);
    reportAgainstClear(state, seconds, state.iterations());
}
BENCHMARK(BM_CloudSceneFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CloudSceneDrifting(benchmark::State& state) {
    CloudScene scene;
    Compositor compositor;
    compositor.render(*scene.root, 0);
    double seconds = 0;
    std::int64_t frame = 0;
    for (auto _ : state) {
        const double start = cpuNow();
        scene.drift();
        compositor.render(*scene.root, static_cast<double>(++frame) / 30);
        seconds += (cpuNow() - start);
    }
    state.counters["pictures"] = static_cast<double>(compositor.picturesRasterised());
    reportAgainstClear(state, seconds, state.iterations());
}
BENCHMARK(BM_CloudSceneDrifting)->Unit(benchmark::kMillisecond);

void BM_CloudSceneFullRedraw(benchmark::State& state) {
    CloudScene scene;
    Compositor compositor;
    compositor.render(*scene.root, 0);
    double seconds = 0;
    for (auto _ : state) {
        const double start = cpuNow();
        compositor.invalidate();
        compositor.render(*scene.root, 0);
        seconds += (cpuNow() - start);
    }
    reportAgainstClear(state, seconds, state.iterations());
}
BENCHMARK(BM_CloudSceneFullRedraw)->Unit(benchmark::kMillisecond);

void BM_CloudSceneNothingChanged(benchmark::State& state) {
    CloudScene scene;
    Compositor compositor;
    compositor.render(*scene.root, 0);
    double seconds = 0;
    std::int64_t frame = 0;
    for (auto _ : state) {
        const double start = cpuNow();
        // Held, not passed as a temporary: Google Benchmark 1.9 deprecates
        // DoNotOptimize on a const reference to anything larger than a pointer.
        auto redrawn = compositor.render(*scene.root, static_cast<double>(++frame) / 30);
        benchmark::DoNotOptimize(redrawn);
        seconds += (cpuNow() - start);
    }
    reportAgainstClear(state, seconds, state.iterations());
}
BENCHMARK(BM_CloudSceneNothingChanged)->Unit(benchmark::kMicrosecond);

// A full-screen gradient walking between two colour pairs. `stepsPerFrame`
// of the 8-bit colour scale per frame: 1 shows a new colour every frame; a
// tiny value shows the same colours frame after frame.
void gradientFrames(benchmark::State& state, double stepsPerFrame) {
    auto root = std::make_shared<View>(Rect(0, 0, frameWidth, frameHeight));
    root->setWantsLayer(true);
    auto gradient = std::make_shared<GradientLayer>();
    gradient->setFrame(root->bounds());
    gradient->setColors({Color(0, 0, 0), Color(0, 0, 0)});
    root->layer()->addSublayer(gradient);
    Compositor compositor;
    compositor.render(*root, 0);
    // Linear from black to white over 255 steps of the given length.
    const double frameTime = 1.0 / 30;
    Transaction::begin();
    Transaction::setAnimationDuration(255 * frameTime / stepsPerFrame);
    BasicAnimation walk("colors");
    walk.setFromValue(gradient->colors());
    walk.setToValue(std::vector<Color>{Color(1, 0.5, 0.25), Color(0.25, 0.5, 1)});
    gradient->setColors({Color(1, 0.5, 0.25), Color(0.25, 0.5, 1)});
    gradient->addAnimation(walk, "colors");
    Transaction::commit();
    const double begin = *gradient->animationForKey("colors")->beginTime();
    double seconds = 0;
    std::int64_t frame = 0, redrawn = 0;
    for (auto _ : state) {
        // Stay inside the animation: wrap around well before its end.
        const double now = begin + static_cast<double>(++frame % 200) * frameTime;
        const double start = cpuNow();
        if (!compositor.render(*root, now).empty())
            ++redrawn;
        seconds += (cpuNow() - start);
    }
    state.counters["redrawn_frames"] = static_cast<double>(redrawn);
    reportAgainstClear(state, seconds, state.iterations());
}

void BM_GradientColoursChanging(benchmark::State& state) {
    gradientFrames(state, 1.0);
}
BENCHMARK(BM_GradientColoursChanging)->Unit(benchmark::kMillisecond);

void BM_GradientColoursUnchangedOnScreen(benchmark::State& state) {
    gradientFrames(state, 1e-4);
}
BENCHMARK(BM_GradientColoursUnchangedOnScreen)->Unit(benchmark::kMicrosecond);

} // namespace
