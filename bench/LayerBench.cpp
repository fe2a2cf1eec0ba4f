// What a day sky's layer tree costs to build: 24 clouds of 2,500 puffs, each puff
// a 9-point disc with its own colour, as the day view builds them. Reports the
// heap bytes per layer (as the allocator counts them, its own overhead
// included) and the time per tree.

#include "platform/view/Layer.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <map>
#include <utility>

namespace {

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

using namespace aerolune;

constexpr int clouds = 24;
constexpr int puffsPerCloud = 2500;

class Puff : public Layer {
public:
    void layoutSublayers() override {
        Layer::layoutSublayers();
        setCornerRadius(frame().height() * 0.5);
    }
};

std::shared_ptr<Layer> buildSky() {
    auto sky = std::make_shared<Layer>();
    for (int c = 0; c < clouds; ++c) {
        auto cloud = std::make_shared<Layer>();
        for (int i = 0; i < puffsPerCloud; ++i) {
            auto puff = std::make_shared<Puff>();
            puff->setBackgroundColor(Color(250 / 255.0, 250 / 255.0, 250 / 255.0, i * 1e-4));
            puff->setFrame(Rect(4.0 * (i % 50), 4.0 * (i / 50), 9, 9));
            cloud->addSublayer(std::move(puff));
        }
        cloud->setFrame(Rect(0, 0, 200, 200));
        sky->addSublayer(std::move(cloud));
    }
    return sky;
}

void BM_BuildSixtyThousandLayers(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        auto sky = buildSky();
        bytes = heapInUse() - before;
        benchmark::DoNotOptimize(sky.get());
        state.PauseTiming();
        sky.reset();
        state.ResumeTiming();
    }
    const double layers = clouds * (puffsPerCloud + 1) + 1;
    state.counters["layers"] = layers;
    state.counters["bytes_per_layer"] = static_cast<double>(bytes) / layers;
    state.counters["sizeof_Layer"] = sizeof(Layer);
}
BENCHMARK(BM_BuildSixtyThousandLayers)->Unit(benchmark::kMillisecond);

void BM_LayOutSixtyThousandLayers(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto sky = buildSky();
        state.ResumeTiming();
        sky->layoutIfNeeded();
        state.PauseTiming();
        sky.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LayOutSixtyThousandLayers)->Unit(benchmark::kMillisecond);

} // namespace
