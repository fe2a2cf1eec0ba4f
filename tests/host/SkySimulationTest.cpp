#include "host/SkySimulation.h"

#include "astronomy/Solar.h"
#include "host/AeroluneSaverView.h"
#include "platform/core/Calendar.h"
#include "support/SaverHarness.h"

#include <filesystem>
#include <functional>
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

// A leg of a saver's run: something done to its world, then time passing.
struct Leg {
    std::function<void()> before;
    double seconds;
};

// Runs the whole saver through the legs and returns every change of sky mode,
// with the views and layers that were ever current, held weakly.
struct SaverRun {
    std::vector<Change> changes;
    std::vector<std::weak_ptr<View>> views;
    std::vector<std::weak_ptr<Layer>> layers;
    std::uint64_t steps = 0;
    // Views once current and still alive when the run ended, the current one aside.
    std::size_t replacedAlive = 0;
};

// Far more steps than any run here needs: a run that goes past it is stuck.
constexpr std::uint64_t stepWatchdog = 1'000'000;

SaverRun runSaver(SaverHarness& harness, const std::vector<Leg>& legs) {
    SaverRun run;
    auto saver = AeroluneSaverView::create(Rect(0, 0, 320, 200), false);
    const SkyCoordinator& coordinator = *saver->skySaverView()->skyCoordinator();
    SkySimulation simulation(*saver, coordinator, harness.clock());
    std::optional<SkyMode> shown;
    simulation.setObserver([&] {
        if (simulation.steps() > stepWatchdog)
            throw std::runtime_error("the simulation is stuck at " + formatUtc(harness.now()));
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
    for (const auto& leg : legs) {
        if (leg.before)
            leg.before();
        simulation.run(leg.seconds);
    }
    run.steps = simulation.steps();
    for (const auto& view : run.views)
        run.replacedAlive += !view.expired() && view.lock() != coordinator.currentView();
    return run;
}

SaverRun runSaver(SaverHarness& harness, double seconds) {
    return runSaver(harness, {{nullptr, seconds}});
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

TEST(SkySimulationTest, RunsStartedInTheHourAfterAChangeOrInAPolarNightFinish) {
    const TimePoint sunset = *Solar(test::at("2024-06-21T12:00:00Z"), paris).sunset();
    for (const TimePoint start : {sunset, sunset + 2409, sunset + 3600, sunset + 3600.5}) {
        SCOPED_TRACE("from " + formatUtc(start));
        SaverHarness harness("UTC", "2024-06-21T12:00:00Z", paris);
        harness.clock().advance(start - harness.now());
        const SaverRun run = runSaver(harness, 3 * 3600);
        // A sunset still recent plays whole from its first frame, then night.
        std::vector<SkyMode> modes;
        for (const auto& change : run.changes)
            modes.push_back(change.mode);
        if (start - sunset <= 3600) {
            ASSERT_EQ(modes, (std::vector{SkyMode::sunset, SkyMode::night}));
            EXPECT_NEAR(run.changes[1].at, start + 1680, 1.0 / 15);
        } else {
            EXPECT_EQ(modes, std::vector{SkyMode::night});
        }
        // Steps come for the backdrop's minute steps and the changes, not every frame.
        EXPECT_LT(run.steps, 1000u);
    }
    {
        SCOPED_TRACE("Tromsø, from the polar night into the first days of sun");
        const CLLocationCoordinate2D tromso{69.65, 18.96};
        SaverHarness harness("Europe/Oslo", "2024-01-01T00:00:00+01:00", tromso);
        const SaverRun run = runSaver(harness, 30 * 86400);
        ASSERT_FALSE(run.changes.empty());
        EXPECT_EQ(run.changes[0].mode, SkyMode::night);
        // Every sky follows the one before, and every day with a sunrise has one.
        for (std::size_t i = 1; i < run.changes.size(); ++i) {
            EXPECT_EQ(run.changes[i].mode, next(run.changes[i - 1].mode)) << i;
            EXPECT_LT(run.changes[i - 1].at, run.changes[i].at) << i;
        }
        std::size_t daysWithSunrise = 0;
        for (int day = 0; day < 30; ++day)
            daysWithSunrise +=
                Solar(harness.now() - (29.5 - day) * 86400, tromso).sunrise() ? 1 : 0;
        EXPECT_GT(daysWithSunrise, 0u);
        EXPECT_EQ(std::count_if(run.changes.begin(), run.changes.end(),
                                [](const Change& c) { return c.mode == SkyMode::sunrise; }),
                  daysWithSunrise);
    }
}

TEST(SkySimulationTest, AStoreGoneAtNightKeepsTheNightAndIsAskedForHourlyUntilItIsBack) {
    SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
    const Solar tomorrow(harness.now() + 86400, paris);
    // Gone at 22:30 local, in the night before its refresh at 22:57:51; back at
    // 03:30, before the 05:47 sunrise.
    const SaverRun run =
        runSaver(harness, {{nullptr, 10.5 * 3600},
                           {[] { std::filesystem::remove(*Prefs::storeFile()); }, 5 * 3600},
                           {[] { ASSERT_FALSE(Prefs::setCoordinates(paris)); }, 8 * 3600}});
    std::vector<SkyMode> modes;
    for (const auto& change : run.changes)
        modes.push_back(change.mode);
    ASSERT_EQ(modes, (std::vector{SkyMode::day, SkyMode::sunset, SkyMode::night, SkyMode::sunrise,
                                  SkyMode::day}));
    EXPECT_NEAR(run.changes[3].at, *tomorrow.sunrise(), 1.0 / 15);
    // At 22:57:51, 23:57:51, 00:57:51, 01:57:51 and 02:57:51.
    EXPECT_EQ(std::count(harness.logLines().begin(), harness.logLines().end(),
                         "SkyCoordinator failed: Optional(LocationError.missingPref)"),
              5);
}
