// Whole savers run on a manual clock, from one moment that matters to the next.
// The program's own --simulate runs through polar days and nights.

#include "host/SkySimulation.h"

#include "astronomy/Solar.h"
#include "host/AeroluneSaverView.h"
#include "platform/core/Calendar.h"
#include "scenes/LoadingHostingView.h"
#include "support/SaverHarness.h"
#include "support/SunAltitude.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#include <tuple>

using namespace aerolune;
using aerolune::test::SaverHarness;
using Changes = std::vector<std::pair<TimePoint, SkyMode>>;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

// Runs a whole saver for `seconds` and returns each change of sky mode, checking
// on the way that it starts on the loading panel, builds one view for each
// change, lets each view it replaced go once faded out, and the rest with it.
Changes runSaver(SaverHarness& harness, double seconds) {
    Changes changes;
    std::vector<std::weak_ptr<View>> views;
    std::vector<std::weak_ptr<Layer>> layers;
    {
        auto saver = AeroluneSaverView::create(Rect(0, 0, 320, 200), false);
        const SkyCoordinator& sky = *saver->skySaverView()->skyCoordinator();
        EXPECT_TRUE(std::dynamic_pointer_cast<LoadingHostingView>(sky.currentView()));
        views.push_back(sky.currentView());
        SkySimulation simulation(*saver, sky, harness.clock());
        simulation.setObserver([&] {
            if (simulation.steps() > 20000) // from moment to moment, not frame by frame
                throw std::runtime_error("stuck at " + formatUtc(harness.now()));
            if (views.back().lock() != sky.currentView()) {
                views.push_back(sky.currentView());
                if (const Layer* layer = sky.currentView()->layer())
                    layers.insert(layers.end(), layer->sublayers().begin(),
                                  layer->sublayers().end());
            }
            if (sky.skyMode() && (changes.empty() || changes.back().second != *sky.skyMode()))
                changes.push_back({harness.now(), *sky.skyMode()});
        });
        simulation.start();
        simulation.run(seconds);
        EXPECT_EQ(views.size(), changes.size() + 1);
        const auto alive = [](const auto& weak) { return !weak.expired(); };
        EXPECT_EQ(std::count_if(views.begin(), views.end(), alive), 1) << "outlived its fade";
    }
    EXPECT_TRUE(std::none_of(views.begin(), views.end(), [](auto& v) { return !v.expired(); }));
    EXPECT_TRUE(std::none_of(layers.begin(), layers.end(), [](auto& l) { return !l.expired(); }));
    return changes;
}

} // namespace

// Three days from each start, passing each sunrise and sunset of the place in
// turn. Paris moves its clocks forward on the night of 30 to 31 March 2024.
// The last starts in the hour after a sunset that London counts on the day
// before (the sunset plays from there): the sunrise after it falls on London's
// afternoon. Honolulu's run has no backing layers to draw into.
TEST(SkySimulationTest, ThreeDaysShowThePlacesSkyThroughEachChangeWhateverTheZoneOrItsClocks) {
    for (const auto& [zone, place, from] :
         {std::tuple{"Europe/Paris", paris, "2024-03-29T12:00:00+01:00"},
          {"Europe/London", {35.68, 139.69}, "2024-06-21T12:00:00Z"},
          {"Pacific/Honolulu", paris, "2024-06-21T12:00:00Z"},
          {"Europe/London", {21.31, -157.86}, "2024-06-22T05:40:00Z"}}) {
        SCOPED_TRACE(std::string(zone) + " from " + from);
        SaverHarness harness(zone, from, place);
        const TimePoint start = harness.now(), end = start + 3 * 86400;
        View::setBackingLayersAvailable(std::string(zone) != "Pacific/Honolulu");
        const Changes changes = runSaver(harness, 3 * 86400);
        View::setBackingLayersAvailable(true);
        ASSERT_FALSE(changes.empty());
        for (std::size_t i = 1; i < changes.size(); ++i)
            EXPECT_EQ(changes[i].second, next(changes[i - 1].second))
                << formatUtc(changes[i].first);
        EXPECT_GE(changes.size(), 12u) << "three days of sunrises and sunsets";
        for (TimePoint t = start + 60; t < end; t += 1200) {
            const auto shown = std::prev(std::upper_bound(
                changes.begin(), changes.end(), t,
                [](TimePoint moment, const auto& change) { return moment < change.first; }));
            const double altitude = test::sunAltitude(t, place.latitude, place.longitude);
            // Well up, the day or a sunrise; well down, the night.
            const bool dayLike = shown->second == SkyMode::day || shown->second == SkyMode::sunrise;
            EXPECT_TRUE(altitude > 12 ? dayLike
                                      : altitude >= -17 || shown->second == SkyMode::night)
                << formatUtc(t) << " sun at " << altitude;
        }
        if (std::string(zone) != "Europe/Paris")
            continue;
        ASSERT_NE(Calendar::utcOffset(start), Calendar::utcOffset(end));
        // Day at once; each sunrise and sunset at its moment, and the day or night
        // that follows 20 or 28 minutes after it.
        // A change fires on the first frame at or after its moment (frames every
        // 1/30 s from the start), and the walk starts on the frame after.
        const auto frame = [&](TimePoint t) { return start + std::ceil((t - start) * 30) / 30; };
        Changes expected{{start, SkyMode::day}};
        for (int day = 0; day < 4; ++day) {
            const Solar solar(start + day * 86400.0, paris);
            for (const auto& [moment, mode, length] :
                 {std::tuple{*solar.sunrise(), SkyMode::sunrise, 1200},
                  {*solar.sunset(), SkyMode::sunset, 1680}}) {
                if (moment > start && moment <= end)
                    expected.push_back({frame(moment), mode});
                if (moment > start && moment + length < end)
                    expected.push_back({frame(moment) + 1.0 / 30 + length, next(mode)});
            }
        }
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(changes.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(changes[i].second, expected[i].second) << formatUtc(expected[i].first);
            EXPECT_NEAR(changes[i].first, expected[i].first, 1e-5) << formatUtc(expected[i].first);
        }
    }
}
