// Whole savers run on a manual clock, from one moment that matters to the next.
// The program's own --simulate runs through polar days and nights.

#include "host/SkySimulation.h"

#include "astronomy/Solar.h"
#include "host/AeroluneSaverView.h"
#include "platform/core/Calendar.h"
#include "scenes/LoadingHostingView.h"
#include "support/SaverHarness.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace aerolune;
using aerolune::test::SaverHarness;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

struct Change {
    TimePoint at;
    SkyMode mode;
};

// What a run showed: every change of sky mode, and every view that was ever
// current with its layers, held weakly.
struct SaverRun {
    std::vector<Change> changes;
    std::vector<std::weak_ptr<View>> views;
    std::vector<std::weak_ptr<Layer>> layers;
    std::uint64_t steps = 0;
    bool startedLoading = false;
    int replacedAlive = 0; // at the end, besides the current view
};

SaverRun runSaver(SaverHarness& harness, double seconds) {
    SaverRun run;
    auto saver = AeroluneSaverView::create(Rect(0, 0, 320, 200), false);
    const SkyCoordinator& coordinator = *saver->skySaverView()->skyCoordinator();
    run.views.push_back(coordinator.currentView());
    run.startedLoading =
        std::dynamic_pointer_cast<LoadingHostingView>(coordinator.currentView()) ? true : false;
    SkySimulation simulation(*saver, coordinator, harness.clock());
    simulation.setObserver([&] {
        if (simulation.steps() > 100000) // stuck: gtest reports the exception
            throw std::runtime_error("stuck at " + formatUtc(harness.now()));
        const auto& view = coordinator.currentView();
        if (run.views.back().lock() != view) {
            run.views.push_back(view);
            if (view->layer())
                for (const auto& layer : view->layer()->sublayers())
                    run.layers.push_back(layer);
        }
        const auto mode = coordinator.skyMode();
        if (mode && (run.changes.empty() || run.changes.back().mode != *mode))
            run.changes.push_back({harness.now(), *mode});
    });
    simulation.start();
    simulation.run(seconds);
    run.steps = simulation.steps();
    for (const auto& view : run.views)
        run.replacedAlive += view.lock() && view.lock() != coordinator.currentView();
    return run;
}

std::vector<SkyMode> modes(const SaverRun& run) {
    std::vector<SkyMode> modes;
    for (const auto& change : run.changes)
        modes.push_back(change.mode);
    return modes;
}

} // namespace

TEST(SkySimulationTest, ThreeDaysFromNoonThroughADaylightSavingChangePassEverySunriseAndSunset) {
    // Paris moves its clocks forward on the night of 30 to 31 March 2024.
    SaverHarness harness("Europe/Paris", "2024-03-29T12:00:00+01:00", paris);
    const TimePoint start = harness.now(), end = start + 3 * 86400;
    ASSERT_NE(Calendar::utcOffset(start), Calendar::utcOffset(end));
    const SaverRun run = runSaver(harness, 3 * 86400);
    EXPECT_TRUE(run.startedLoading);

    // Day at once; each sunrise and sunset at its moment, the day or night
    // that follows 20 or 28 minutes after it.
    std::vector<Change> expected{{start, SkyMode::day}};
    for (int day = 0; day < 4; ++day) {
        const Solar solar(start + day * 86400.0, paris);
        for (const auto& [moment, length] :
             {std::pair{*solar.sunrise(), 1200.0}, {*solar.sunset(), 1680.0}}) {
            const SkyMode mode = length == 1200 ? SkyMode::sunrise : SkyMode::sunset;
            if (moment > start && moment <= end)
                expected.push_back({moment, mode});
            if (moment > start && moment + length < end)
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
    EXPECT_LT(run.steps, 20000u) << "from moment to moment, not frame by frame";
    EXPECT_EQ(run.views.size(), expected.size() + 1) << "one view for each change";
    EXPECT_EQ(run.replacedAlive, 0) << "a replaced view outlived its fade";
    for (const auto& view : run.views)
        EXPECT_TRUE(view.expired()) << "the saver's end";
    for (const auto& layer : run.layers)
        EXPECT_TRUE(layer.expired());
}

TEST(SkySimulationTest, RunsStartedInTheHourAfterASunsetPlayItWholeThenNight) {
    const TimePoint sunset = *Solar(test::at("2024-06-21T12:00:00Z"), paris).sunset();
    for (const double after : {0.0, 2409.0, 3600.0, 3600.5}) {
        SCOPED_TRACE(std::to_string(after) + " s after sunset");
        SaverHarness harness("UTC", "2024-06-21T12:00:00Z", paris);
        harness.clock().advance(sunset + after - harness.now());
        const SaverRun run = runSaver(harness, 3 * 3600);
        // A sunset still recent plays whole from its first frame, then night.
        if (after <= 3600) {
            ASSERT_EQ(modes(run), (std::vector{SkyMode::sunset, SkyMode::night}));
            EXPECT_NEAR(run.changes[1].at, sunset + after + 1680, 1.0 / 15);
        } else {
            EXPECT_EQ(modes(run), std::vector{SkyMode::night});
        }
        EXPECT_LT(run.steps, 1000u);
    }
}

TEST(SkySimulationTest, WithoutBackingLayersEverySkyStillComesAndGoes) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z", paris);
    View::setBackingLayersAvailable(false);
    const SaverRun run = runSaver(harness, 86400);
    View::setBackingLayersAvailable(true);
    EXPECT_EQ(modes(run), (std::vector{SkyMode::day, SkyMode::sunset, SkyMode::night,
                                       SkyMode::sunrise, SkyMode::day}));
    EXPECT_EQ(run.replacedAlive, 0);
}
