#include "astronomy/Solar.h"
#include "host/AeroluneSaverView.h"
#include "platform/output/RunLoop.h"
#include "platform/render/Compositor.h"
#include "scenes/LoadingHostingView.h"
#include "support/SaverHarness.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using namespace aerolune;
using aerolune::test::SaverHarness;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

// A whole saver run by its host loop, started.
struct Running {
    std::shared_ptr<AeroluneSaverView> saver =
        AeroluneSaverView::create(Rect(0, 0, 320, 200), false);
    const SkyCoordinator& sky = *saver->skySaverView()->skyCoordinator();
    RunLoop loop{saver};
    Running() { saver->startAnimation(); }
};

// The whole saver's pictures every 1.5 s for a minute from `start` (then
// `sinceSunset` seconds after that day's sunset, if given), drawn each over the
// last by one compositor or each afresh. The run repeats exactly: a fixed seed.
std::vector<std::string> pictures(const char* start, std::optional<double> sinceSunset,
                                  double scale, bool afresh) {
    SaverHarness harness("Europe/Paris", start, paris);
    if (sinceSunset)
        harness.clock().setNow(*Solar(harness.now(), paris).sunset() + *sinceSunset);
    Running run;
    Compositor kept;
    std::vector<std::string> shown;
    for (int step = 0; step < 40; ++step) {
        run.loop.advance(harness.clock(), 1.5);
        Compositor fresh;
        Compositor& compositor = afresh ? fresh : kept;
        compositor.setScale(scale);
        compositor.render(*run.saver, harness.clock().monotonic());
        const auto* data = cairo_image_surface_get_data(compositor.image());
        shown.emplace_back(data, data + cairo_image_surface_get_stride(compositor.image()) *
                                            compositor.height());
    }
    return shown;
}

} // namespace

TEST(SaverViewsTest, EachFrameDrawnOverTheLastEqualsTheSameMomentDrawnAfresh) {
    for (const auto& [sky, start, sinceSunset, scale] : {
             std::tuple{"day, clouds moving", "2024-06-21T12:00:00+02:00", std::optional<double>(),
                        1.0},
             {"night, stars twinkling", "2024-06-21T23:59:00+02:00", std::nullopt, 1.0},
             {"sunset, its gradient walking", "2024-06-21T12:00:00+02:00", 60.0, 1.0},
             {"day at scale 2", "2024-06-21T12:00:00+02:00", std::nullopt, 2.0},
             {"day at scale 1.5", "2024-06-21T12:00:00+02:00", std::nullopt, 1.5},
             {"sunset at scale 1.5", "2024-06-21T12:00:00+02:00", 60.0, 1.5},
         }) {
        SCOPED_TRACE(sky);
        const auto drawnOver = pictures(start, sinceSunset, scale, false);
        const auto afresh = pictures(start, sinceSunset, scale, true);
        for (std::size_t i = 0; i < afresh.size(); ++i) {
            ASSERT_TRUE(drawnOver[i] == afresh[i]) << "at " << 1.5 * (i + 1) << " s";
            // Every pixel painted opaque: nothing left out around the sky window.
            for (std::size_t alpha = 3; alpha < afresh[i].size(); alpha += 4)
                ASSERT_EQ(afresh[i][alpha], '\xff') << "at " << 1.5 * (i + 1) << " s";
        }
    }
}

TEST(SaverViewsTest, TheSkyWindowIsInsetByAFifthOfTheGeometricMeanRoundedAwayFromZero) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    for (const auto& [frame, sky] : {
             std::pair{Rect(0, 0, 1920, 1080), Rect(288, 288, 1344, 504)},
             {Rect(0, 0, 100, 100), Rect(20, 20, 60, 60)},
             {Rect(0, 0, 12.5, 12.5), Rect(3, 3, 6.5, 6.5)}, // 2.5 rounds up
             {Rect(0, 0, 296, 184), Rect(47, 47, 202, 90)},
             {Rect(0, 0, 1000, 10), Rect::null()}, // no area left
         }) {
        auto saver = AeroluneSaverView::create(frame, false);
        saver->displayIfNeeded();
        EXPECT_EQ(saver->skySaverView()->frame(), sky) << describe(frame);
        EXPECT_EQ(saver->abstractSaverView()->frame(), saver->bounds()) << describe(frame);
        EXPECT_EQ(saver->subviews().front(), saver->abstractSaverView()) << "the backdrop below";
    }
    EXPECT_FALSE(AeroluneSaverView::create(Rect(0, 0, -1, 10), false));
    const auto sheet = [] { return AeroluneSaverView::configureSheet([](auto f) { f(); }); };
    EXPECT_NE(sheet().window, sheet().window) << "a new sheet each time";
}

// With no place stored, the panel says so for ten seconds; then the sky of
// the time zone's principal city (night at 23:00 in Paris), or the day sky
// where the zone gives no place.
TEST(SaverViewsTest, AFailedStartShowsWhyThenTheTimeZonesSkyTenSecondsLaterUnlessAForecastCame) {
    for (const auto& [zone, storedMeanwhile, after] :
         {std::tuple{"Europe/Paris", false, SkyMode::night},
          {"Europe/Paris", true, SkyMode::night},
          {"UTC", false, SkyMode::day},
          {"Etc/GMT-2", false, SkyMode::day}}) {
        SCOPED_TRACE(std::string(zone) + (storedMeanwhile ? ", stored and restarted at 3 s" : ""));
        SaverHarness harness(zone, "2024-06-21T21:00:00Z");
        Running run;
        run.loop.advance(harness.clock(), 3);
        const auto panel = std::dynamic_pointer_cast<LoadingHostingView>(run.sky.currentView());
        EXPECT_EQ(panel ? panel->rootView().text() : "",
                  "Missing location preference.\nPlease check your settings.");
        if (storedMeanwhile) {
            (void)Prefs::setCoordinates(paris);
            run.saver->stopAnimation();
            run.saver->startAnimation();
        }
        run.loop.advance(harness.clock(), 6.99);
        EXPECT_EQ(run.sky.skyMode(),
                  storedMeanwhile ? std::optional(SkyMode::night) : std::nullopt);
        run.loop.advance(harness.clock(), 0.02);
        EXPECT_EQ(run.sky.skyMode(), after);
        EXPECT_EQ(run.sky.showsTimeZonePlace(), !storedMeanwhile && after == SkyMode::night);
    }
}

TEST(SaverViewsTest, TheBackdropChainsWalksFromTheColourTheLastOneEndedOnAndNeverStops) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    auto backdrop = AbstractSaverView::create(Rect(0, 0, 64, 48), false);
    const auto first = backdrop->transitionView();
    backdrop->startAnimation();
    backdrop->startAnimation();
    backdrop->displayIfNeeded();
    EXPECT_EQ(first->frame(), backdrop->bounds());
    harness.advance(7260);
    std::shared_ptr<TransitionView> second = backdrop->transitionView();
    ASSERT_NE(second, first);
    EXPECT_EQ(backdrop->subviews(), std::vector<std::shared_ptr<View>>{second});
    EXPECT_EQ(second->gradientLayer().presentationColors(harness.clock().monotonic()).front(),
              first->gradientColors().back());
    EXPECT_TRUE(second->hasStarted()) << "the next walk starts at once";
    EXPECT_EQ(second->frame(), backdrop->bounds());
    std::weak_ptr<View> watch = std::exchange(backdrop, nullptr);
    second.reset();
    EXPECT_TRUE(watch.expired()) << "the walk must not keep the backdrop alive";
}

TEST(SaverViewsTest, AfterASleepTheSaverShowsTheSkyOfTheMomentAndNoChangeItMissed) {
    // Asleep at 19:50, eight minutes before the 19:57:51 sunset.
    for (const auto& [wake, sky] : {std::pair{"2024-06-22T09:50:00Z", SkyMode::day},
                                    {"2024-06-21T20:30:00Z", SkyMode::sunset},
                                    {"2024-06-22T01:00:00Z", SkyMode::night}}) {
        SCOPED_TRACE(std::string("woken at ") + wake);
        SaverHarness harness("Europe/Paris", "2024-06-21T19:49:00Z", paris);
        Running run;
        run.loop.advance(harness.clock(), 60);
        ASSERT_EQ(run.sky.skyMode(), SkyMode::day);
        const auto asleep = run.sky.currentView();
        harness.clock().setNow(test::at(wake)); // the monotonic clock stood still
        run.loop.advance(harness.clock(), 4.9);
        EXPECT_EQ(run.sky.skyMode(), sky);
        EXPECT_TRUE(asleep->superview()) << "the old sky fades out, or stays";
        run.loop.advance(harness.clock(), 0.2);
        EXPECT_EQ(asleep->superview() != nullptr, sky == SkyMode::day);
        run.loop.advance(harness.clock(), 120);
        EXPECT_EQ(run.sky.skyMode(), sky) << "and no change it missed comes after";
        EXPECT_EQ(std::ranges::count(harness.logLines(), "[vemo] TransitionForecaster.getLocation"),
                  2);
    }
}

// Each sky that gives way is shown whole as the change comes, half faded
// 2.5 s later and gone at 5 s, whichever way it is drawn (a day's clouds
// written with their sky in one pass, or a view faded as a whole). How much
// of the old sky a frame holds is read against the last frame before the
// change and the first of the new sky alone, over the whole sky window: what
// tells them apart may be the stars alone, where a sunset ends in the night.
TEST(SaverViewsTest, EachSkyThatGivesWayIsWholeAtTheChangeHalfFadedAt2_5sAndGoneAt5s) {
    // Paris on 21 and 22 June 2024. A sunrise or sunset runs its course from
    // its start: the saver is started before it.
    const TimePoint noon = test::at("2024-06-21T12:00:00Z");
    const TimePoint sunset = *Solar(noon, paris).sunset(),
                    sunrise = *Solar(noon + 86400, paris).sunrise();
    for (const auto& [old, from, change] : {std::tuple{"the loading panel", noon, noon},
                                            {"day", sunset - 10, sunset},
                                            {"sunset", sunset - 10, sunset + 28 * 60},
                                            {"night", sunrise - 10, sunrise},
                                            {"sunrise", sunrise - 10, sunrise + 20 * 60}}) {
        SCOPED_TRACE(old);
        const bool atStart = from == change;
        SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00Z", paris);
        harness.clock().setNow(from);
        auto sky = SkySaverView::create(Rect(0, 0, 160, 120), false);
        Compositor compositor;
        const auto frame = [&] {
            sky->layoutSubtreeIfNeeded();
            sky->displayIfNeeded();
            compositor.render(*sky, harness.clock().monotonic());
            // Every byte; the alpha bytes, always opaque, weigh nothing below.
            cairo_surface_t* image = compositor.image();
            const auto* data = cairo_image_surface_get_data(image);
            return std::vector<double>(data, data + cairo_image_surface_get_stride(image) * 120);
        };
        const auto tick = [&](double seconds) {
            harness.advance(seconds);
            sky->animateOneFrame();
        };
        // Frame by frame up to the change, as the saver reckons its moment.
        if (!atStart)
            sky->startAnimation();
        while (harness.now() < change - 10)
            tick(1);
        auto before = frame();
        const auto replaced = sky->skyCoordinator()->currentView();
        if (atStart)
            sky->startAnimation();
        for (int step = 0; step < 40 && sky->skyCoordinator()->currentView() == replaced; ++step)
            before = frame(), tick(0.5);
        ASSERT_NE(sky->skyCoordinator()->currentView(), replaced) << "a change";
        std::vector<std::vector<double>> fade{frame()};
        for (const double step : {2.5, 2.5, 1.0})
            tick(step), fade.push_back(frame());
        // The share of the old sky: F = a O + (1 - a) N, by least squares.
        const auto& after = fade.back();
        const auto oldShare = [&](const std::vector<double>& shown) {
            double along = 0, apart = 0;
            for (std::size_t i = 0; i < shown.size(); ++i) {
                along += (shown[i] - after[i]) * (before[i] - after[i]);
                apart += (before[i] - after[i]) * (before[i] - after[i]);
            }
            return along / apart;
        };
        EXPECT_NEAR(oldShare(fade[0]), 1, 0.05) << "at the change";
        EXPECT_NEAR(oldShare(fade[1]), 0.5, 0.1) << "2.5 s later";
        EXPECT_NEAR(oldShare(fade[2]), 0, 0.05) << "5 s later";
    }
}
