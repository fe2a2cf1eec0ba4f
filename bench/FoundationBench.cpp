// Budgets: building a Solar under 20 µs; one whole forecast from the stored
// location (the lookup reads the store twice) under 200 µs. The log's own
// output is left out by a sink that drops every line.

#include "astronomy/Solar.h"
#include "platform/core/Clock.h"
#include "platform/core/Log.h"
#include "platform/core/ManualClock.h"
#include "schedule/TransitionForecaster.h"
#include "store/Prefs.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace aerolune;

namespace {

class NullLogSink final : public LogSink {
public:
    void write(std::string_view) override {}
};

class CountingDelegate final : public TransitionForecasterDelegate {
public:
    void transitionForecasterDidDetermine(SkyMode) override { ++reports; }
    void transitionForecasterDidForecast(SkyMode, TimePoint) override { ++reports; }
    void transitionForecasterDidFail(std::optional<LocationError>) override { ++failures; }
    long reports = 0;
    long failures = 0;
};

constexpr TimePoint kMidsummerNoon = 1718964000; // 2024-06-21T12:00:00+02:00

void BM_BuildSolar(benchmark::State& state) {
    ::setenv("TZ", "Europe/Paris", 1);
    const CLLocationCoordinate2D paris{48.85, 2.35};
    long day = 0;
    for (auto _ : state) {
        // A different day each time, so no lookup is answered from a warm entry.
        const Solar solar(kMidsummerNoon + double(day++ % 366) * 86400, paris);
        auto sunset = solar.sunset(); // held, as DoNotOptimize of a temporary is deprecated
        benchmark::DoNotOptimize(sunset);
    }
}
BENCHMARK(BM_BuildSolar);

void BM_ForecastFromStoredLocation(benchmark::State& state) {
    ::setenv("TZ", "Europe/Paris", 1);
    std::string folder = (std::filesystem::temp_directory_path() / "aerolune-bench-XXXXXX");
    ::mkdtemp(folder.data());
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    Prefs::resetForTesting();
    setLogSink(std::make_shared<NullLogSink>());
    if (const auto stored = Prefs::setCoordinates({48.85, 2.35}); !stored) {
        state.SkipWithError(stored.error().message.c_str());
        return;
    }
    const auto clock = std::make_shared<ManualClock>(kMidsummerNoon);
    Clock::setCurrent(clock);
    const auto delegate = std::make_shared<CountingDelegate>();
    const auto forecaster = TransitionForecaster::create();
    forecaster->setDelegate(delegate);
    for (auto _ : state) {
        forecaster->getLocation();
        clock->advance(1234); // walk through the day's modes
    }
    if (delegate->failures != 0)
        state.SkipWithError("a forecast failed");
    Clock::setCurrent(nullptr);
    setLogSink(nullptr);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ForecastFromStoredLocation);

} // namespace
