// What a snapshot days ahead costs at 1920 x 1080: the saver's logic run ahead
// without drawing, the last second drawn, the PNG written. Each iteration is a
// whole `aerolune --snapshot FILE --size 1920x1080 --after 30d` (or 400d, the
// longest allowed) for Paris from noon on 21 June 2024, short of the process's
// start-up. The aim for 30 days is under 10 s.
//
//   build/bench/bench_SnapshotBench

#include "aerolune/Options.h"
#include "aerolune/RunLocation.h"
#include "aerolune/SnapshotCommand.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

using namespace aerolune;

void snapshot(benchmark::State& state, const char* after) {
    const auto file = std::filesystem::temp_directory_path() / "aerolune-bench-snapshot.png";
    const auto options = Options::parse({"--snapshot", file.c_str(), "--size", "1920x1080",
                                         "--after", after, "--lat", "48.85", "--lon", "2.35",
                                         "--at", "2024-06-21T12:00:00+02:00", "--seed", "1"});
    if (!options || RunLocation::apply(*options, std::cerr))
        std::abort();
    for (auto _ : state)
        if (SnapshotCommand::run(*options, std::cerr) != 0)
            std::abort();
    std::filesystem::remove(file);
}
BENCHMARK_CAPTURE(snapshot, 30d, "30d")->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(snapshot, 400d, "400d")->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace
