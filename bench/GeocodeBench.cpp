// Budgets: the gazetteer loads in under 150 ms, a query answers in under 5 ms.
// The map is not budgeted; it is drawn once per lookup.

#include "datafiles/DataDirectory.h"
#include "geocode/Gazetteer.h"
#include "geocode/PlaceSearch.h"
#include "map/MapRenderer.h"
#include "map/Shoreline.h"

#include <benchmark/benchmark.h>

using namespace aerolune;

namespace {

void GazetteerLoad(benchmark::State& state) {
    const auto path = DataDirectory::find(Gazetteer::fileName);
    if (!path) {
        state.SkipWithError("gazetteer.bin.gz not found");
        return;
    }
    for (auto _ : state) {
        auto loaded = Gazetteer::load(*path);
        benchmark::DoNotOptimize(loaded.ok());
    }
}
BENCHMARK(GazetteerLoad)->Unit(benchmark::kMillisecond)->MinTime(2);

void ShorelineLoad(benchmark::State& state) {
    const auto path = DataDirectory::find(Shoreline::fileName);
    if (!path) {
        state.SkipWithError("shorelines.bin.gz not found");
        return;
    }
    for (auto _ : state) {
        auto loaded = Shoreline::load(*path);
        benchmark::DoNotOptimize(loaded.ok());
    }
}
BENCHMARK(ShorelineLoad)->Unit(benchmark::kMillisecond)->MinTime(2);

void Query(benchmark::State& state, const char* text) {
    const auto& gazetteer = Gazetteer::shared();
    if (!gazetteer) {
        state.SkipWithError(gazetteer.error().message.c_str());
        return;
    }
    for (auto _ : state) {
        auto result = PlaceSearch::search(**gazetteer, text);
        benchmark::DoNotOptimize(result.ok());
    }
}
BENCHMARK_CAPTURE(Query, city, "Lisbon")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Query, cityWithRegion, "Springfield, IL")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Query, accents, "São Paulo")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Query, zip, "10001")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Query, notFound, "xyzzy")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Query, trailingCountry, "Paris France")->Unit(benchmark::kMicrosecond);
// The longest prefix range: every name that starts with "s".
BENCHMARK_CAPTURE(Query, oneLetter, "s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Query, oneLetterInRegion, "s, tx")->Unit(benchmark::kMicrosecond);

void MapRender(benchmark::State& state, CLLocationCoordinate2D centre) {
    const MapRenderer renderer;
    for (auto _ : state) {
        auto surface = renderer.render(centre);
        benchmark::DoNotOptimize(surface.get());
    }
}
BENCHMARK_CAPTURE(MapRender, lisbon, CLLocationCoordinate2D{38.71667, -9.13333})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MapRender, chicago, CLLocationCoordinate2D{41.85003, -87.65005})
    ->Unit(benchmark::kMillisecond);

} // namespace
