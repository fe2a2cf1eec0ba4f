#include "host/SkySimulation.h"

#include "astronomy/Solar.h"
#include "host/AeroluneSaverView.h"
#include "platform/Calendar.h"
#include "support/SaverHarness.h"

#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::SaverHarness;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

struct Change {
    TimePoint at;
    SkyMode mode;
};

// Runs the whole saver for `seconds` and returns every change of sky mode,
// with the views and layers that were ever current, held weakly.
struct SaverRun {
    std::vector<Change> changes;
    std::vector<std::weak_ptr<View>> views;
    std::vector<std::weak_ptr<Layer>> layers;
    std::uint64_t steps = 0;
    // Views once current and still alive when the run ended, the current one aside.
    std::size_t replacedAlive = 0;
};

SaverRun runSaver(SaverHarness& harness, double seconds) {
    SaverRun run;
    auto saver = AeroluneSaverView::create(Rect(0, 0, 320, 200), false);
    const SkyCoordinator& coordinator = *saver->skySaverView()->skyCoordinator();
    SkySimulation simulation(*saver, coordinator, harness.clock());
    std::optional<SkyMode> shown;
    simulation.setObserver([&] {
        const auto& view = coordinator.currentView();
        if (run.views.empty() || run.views.back().lock() != view) {
            run.views.push_back(view);
            if (view->layer())
                for (const auto& layer : view->layer()->sublayers())
                    run.layers.push_back(layer);
        }
        if (coordinator.skyMode() && coordinator.skyMode() != shown) {
            shown = coordinator.skyMode();
            run.changes.push_back({harness.now(), *shown});
        }
    });
    simulation.start();
    simulation.run(seconds);
    run.steps = simulation.steps();
    for (const auto& view : run.views)
        run.replacedAlive += !view.expired() && view.lock() != coordinator.currentView();
    return run;
}

} // namespace

TEST(SkySimulationTest, ThreeDaysThroughADaylightSavingChangePassEverySunriseAndSunset) {
    // Paris moves its clocks forward on the night of 30 to 31 March 2024.
    SaverHarness harness("Europe/Paris", "2024-03-29T12:00:00+01:00", paris);
    const TimePoint start = harness.now();
    const SaverRun run = runSaver(harness, 3 * 86400);

    std::vector<Change> expected{{start, SkyMode::day}};
    for (int day = 0; day < 4; ++day) {
        const Solar solar(start + day * 86400.0, paris);
        for (const auto& [moment, mode] : {std::pair{*solar.sunrise(), SkyMode::sunrise},
                                           std::pair{*solar.sunset(), SkyMode::sunset}}) {
            if (moment <= start || moment > start + 3 * 86400)
                continue;
            expected.push_back({moment, mode});
            // The transition completes 20 or 28 minutes after its first frame.
            const double length = mode == SkyMode::sunrise ? 1200 : 1680;
            if (moment + length < start + 3 * 86400)
                expected.push_back({moment + length, next(mode)});
        }
    }
    std::sort(expected.begin(), expected.end(),
              [](const Change& a, const Change& b) { return a.at < b.at; });
    ASSERT_EQ(run.changes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(formatUtc(expected[i].at) + " " + std::string(describe(expected[i].mode)));
        EXPECT_EQ(run.changes[i].mode, expected[i].mode);
        EXPECT_NEAR(run.changes[i].at, expected[i].at, 1.0 / 15);
    }
    // The change of offset lies inside the run.
    EXPECT_NE(Calendar::utcOffset(start), Calendar::utcOffset(start + 3 * 86400));
    EXPECT_LT(run.steps, 20000u);
}

TEST(SkySimulationTest, NothingOutlivesItsFadeOrTheSaver) {
    SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
    const SaverRun run = runSaver(harness, 86400);
    ASSERT_GE(run.views.size(), 5u);
    EXPECT_EQ(run.replacedAlive, 0u);
    for (const auto& view : run.views)
        EXPECT_TRUE(view.expired());
    for (const auto& layer : run.layers)
        EXPECT_TRUE(layer.expired());
}
