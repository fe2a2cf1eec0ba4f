#include "schedule/SkyCoordinator.h"

#include "astronomy/Solar.h"
#include "platform/core/MainQueue.h"
#include "scenes/DayView.h"
#include "scenes/LoadingHostingView.h"
#include "scenes/NightView.h"
#include "support/SaverHarness.h"
#include "transitions/SkyTransitionView.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::SaverHarness;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

// A coordinator at a moment in Paris whose views go into a parent, each below
// the one it replaces, as the sky window puts them.
struct Sky : SkyCoordinatorDelegate {
    SaverHarness harness;
    const TimePoint sunset; // today's
    std::shared_ptr<SkyCoordinator> coordinator = SkyCoordinator::create();
    std::shared_ptr<View> parent = std::make_shared<View>();
    int changes = 0;

    Sky(const char* start, bool stored)
        : harness("Europe/Paris", start, stored ? std::optional(paris) : std::nullopt),
          sunset(*Solar(harness.now(), paris).sunset()) {}
    void skyCoordinatorDidChange(const std::shared_ptr<NativeKitView>& view,
                                 const std::shared_ptr<NativeKitView>& previous) override {
        ++changes;
        parent->addSubview(view, Ordering::below, previous.get());
    }
    // Both clocks move on to `moment`, then one frame.
    void tickAt(TimePoint moment) {
        harness.clock().advance(moment - harness.now());
        coordinator->tick();
    }
    std::optional<SkyMode> mode() const { return coordinator->skyMode(); }
    long forecasts() const {
        const auto& lines = harness.logLines();
        return std::count(lines.begin(), lines.end(), "[vemo] TransitionForecaster.getLocation");
    }
    std::string loadingText() const {
        auto loading = std::dynamic_pointer_cast<LoadingHostingView>(coordinator->currentView());
        return loading ? loading->rootView().text() : "(not a loading view)";
    }
};

std::shared_ptr<Sky> started(const char* start, bool stored = true) {
    auto sky = std::make_shared<Sky>(start, stored);
    sky->coordinator->setDelegate(sky);
    sky->coordinator->start();
    return sky;
}

} // namespace

// A clock jump of more than two seconds either way asks for the sky of the moment.
TEST(SkyCoordinatorTest,
     TheAnnouncedChangeFiresOnceOnTheTickAtItsMomentAndTheNextIsAskedAnHourLater) {
    const auto sky = started("2024-06-21T12:00:00+02:00");
    EXPECT_TRUE(std::dynamic_pointer_cast<DayView>(sky->coordinator->currentView()));
    EXPECT_EQ(sky->coordinator->nextTransition()->date, sky->sunset);
    sky->coordinator->start();
    sky->coordinator->tick();
    for (const auto& [jump, asked] : {std::pair{1.9, 2}, {2.1, 3}, {-2.1, 4}, {-1.9, 4}}) {
        sky->harness.clock().setNow(sky->harness.now() + jump); // the wall clock alone
        sky->coordinator->tick();
        EXPECT_EQ(sky->forecasts(), asked) << jump << " s: no more than jitter?";
    }
    EXPECT_EQ(sky->changes, 2) << "the same mode again keeps its view";
    sky->tickAt(std::nextafter(sky->sunset, 0.0));
    EXPECT_EQ(sky->mode(), SkyMode::day);
    sky->tickAt(sky->sunset);
    EXPECT_TRUE(std::dynamic_pointer_cast<SkyTransitionView>(sky->coordinator->currentView()));
    EXPECT_FALSE(sky->coordinator->nextTransition()) << "fired once";
    sky->harness.advance(5);
    sky->coordinator->tick(); // a frame starts the sunset's walk
    sky->harness.advance(1680);
    EXPECT_TRUE(std::dynamic_pointer_cast<NightView>(sky->coordinator->currentView()));
    // Nothing is asked until the hour after sunset is over; then tomorrow's sunrise.
    sky->tickAt(sky->sunset + 3600);
    EXPECT_EQ(sky->forecasts(), 4);
    sky->tickAt(sky->sunset + 3600.5);
    EXPECT_EQ(sky->forecasts(), 5);
    EXPECT_EQ(sky->coordinator->nextTransition()->date,
              *Solar(sky->sunset + 43200, paris).sunrise());
}

// The ten-second fallback to day runs in the whole saver's failure run.
TEST(SkyCoordinatorTest, AFailureBeforeAnySkyShowsWhyInAFreshPanel) {
    const auto sky = started("2024-06-21T23:00:00+02:00", false);
    EXPECT_EQ(sky->loadingText(), "Missing location preference.\nPlease check your settings.");
    EXPECT_EQ(sky->parent->subviews().size(), 1u) << "the first panel left at once";
    sky->coordinator->transitionForecasterDidFail(std::nullopt);
    EXPECT_EQ(sky->loadingText(), "Loading the sky…");
    sky->coordinator->skyTransitionViewDidComplete();
    EXPECT_FALSE(sky->mode()) << "a completion without a mode changes nothing";
}

TEST(SkyCoordinatorTest, AFailureAfterASkyKeepsItAndAsksAgainAnHourLater) {
    const auto sky = started("2024-06-21T22:00:00+02:00"); // in the hour after sunset
    sky->coordinator->tick();
    sky->harness.advance(1680);
    ASSERT_EQ(sky->mode(), SkyMode::night);
    const TimePoint refresh = *sky->coordinator->refreshAfter();
    std::filesystem::remove(*Prefs::storeFile());
    sky->tickAt(refresh + 0.5);
    EXPECT_EQ(sky->coordinator->failureCount(), 1u);
    sky->harness.advance(SkyCoordinator::fallbackSeconds + 1);
    EXPECT_EQ(sky->mode(), SkyMode::night) << "no day at night";
    const TimePoint retry = *sky->coordinator->refreshAfter();
    EXPECT_EQ(retry, refresh + 0.5 + 3600);
    (void)Prefs::setCoordinates(paris);
    sky->tickAt(retry);
    EXPECT_FALSE(sky->coordinator->nextTransition()) << "not before the hour is over";
    sky->tickAt(retry + 0.5);
    EXPECT_EQ(sky->coordinator->nextTransition()->skyMode, SkyMode::sunrise);
    EXPECT_EQ(sky->changes, 3) << "the night sky stayed all along";
}

TEST(SkyCoordinatorTest, AChangeOverAMinuteLateAsksForTheSkyOfTheMoment) {
    for (const double late : {59.0, 61.0, 7200.0}) {
        const auto stalled = started("2024-06-21T21:50:00+02:00");
        stalled->tickAt(stalled->sunset + late); // the first frame in a while
        stalled->coordinator->tick();
        EXPECT_EQ(stalled->forecasts(), late > 60 ? 2 : 1) << late << " s late";
        EXPECT_EQ(stalled->mode(), late < 3600 ? SkyMode::sunset : SkyMode::night) << late;
    }
}

TEST(SkyCoordinatorTest, AReplacedSunsetThatEndsWhileFadingMovesNothing) {
    const auto sky = started("2024-06-21T21:57:00+02:00");
    sky->tickAt(sky->sunset);
    sky->coordinator->tick();
    sky->harness.advance(1678);
    // Woken in the next sunrise, which plays while the sunset fades out and ends.
    sky->harness.clock().setNow(*Solar(sky->sunset + 43200, paris).sunrise() + 600);
    sky->coordinator->tick();
    ASSERT_EQ(sky->mode(), SkyMode::sunrise);
    sky->harness.advance(5);
    EXPECT_EQ(sky->mode(), SkyMode::sunrise);
}

// Without a delegate too: nothing is handed over, and nothing breaks.
TEST(SkyCoordinatorTest, APolarDayIsAskedAgainAfterLocalMidnight) {
    SaverHarness harness("Europe/Oslo", "2024-06-21T12:00:00+02:00", {{78.5, 15.5}});
    auto coordinator = SkyCoordinator::create();
    coordinator->start();
    EXPECT_TRUE(coordinator->skyMode() == SkyMode::day && !coordinator->nextTransition());
    EXPECT_EQ(coordinator->refreshAfter(), test::at("2024-06-22T00:00:00+02:00"));
}

namespace {

// Coordinators started while one lives watch the stored place.
struct Following {
    Following() { SkyCoordinator::setFollowsStoredPlace(true); }
    ~Following() { SkyCoordinator::setFollowsStoredPlace(false); }
};

// Stores a place as the settings window does, and lets the watcher read of it.
void save(CLLocationCoordinate2D place) {
    ASSERT_TRUE(Prefs::setCoordinates(place));
    MainQueue::main().runReadable();
}

const CLLocationCoordinate2D lisbon{38.72, -9.14}, tokyo{35.68, 139.69}, singapore{1.29, 103.85};

} // namespace

TEST(SkyCoordinatorTest,
     APlaceStoredWhileItRunsIsFollowedASecondLaterAndAStoreThatGoesKeepsTheSky) {
    const Following following;
    const auto sky = started("2024-06-21T12:00:00+02:00");
    sky->coordinator->tick();
    const TimePoint lisbonSunset = *Solar(sky->harness.now(), lisbon).sunset();
    ASSERT_GT(lisbonSunset, sky->sunset + 60);
    {
        SCOPED_TRACE("saved twice within a second just before Paris's sunset");
        sky->tickAt(sky->sunset - 10);
        save(tokyo);
        save(lisbon);
        sky->harness.advance(0.99);
        EXPECT_EQ(sky->forecasts(), 1) << "the burst has not settled yet";
        sky->harness.advance(0.01);
        EXPECT_EQ(sky->forecasts(), 2) << "one forecast for the burst";
        EXPECT_EQ(sky->changes, 2) << "day in Lisbon too: the same view";
        EXPECT_EQ(sky->coordinator->nextTransition()->date, lisbonSunset);
        sky->tickAt(sky->sunset + 1);
        EXPECT_EQ(sky->mode(), SkyMode::day) << "Paris's sunset is not Lisbon's";
        sky->tickAt(lisbonSunset);
        EXPECT_EQ(sky->mode(), SkyMode::sunset);
    }
    {
        SCOPED_TRACE("saved just after Lisbon's sunset: night in Singapore fades in");
        sky->coordinator->tick();
        const auto sunset = sky->coordinator->currentView();
        save(singapore);
        sky->harness.advance(1);
        EXPECT_EQ(sky->mode(), SkyMode::night);
        EXPECT_EQ(sunset->superview(), sky->parent.get()) << "fading out";
        sky->harness.advance(5);
        EXPECT_EQ(sunset->superview(), nullptr);
    }
    {
        SCOPED_TRACE("the store removed");
        const TimePoint plan = sky->coordinator->nextTransition().value().date;
        const int changes = sky->changes;
        std::filesystem::remove(*Prefs::storeFile());
        MainQueue::main().runReadable();
        sky->harness.advance(1);
        EXPECT_EQ(sky->coordinator->failureCount(), 1u);
        EXPECT_EQ(sky->changes, changes) << "the night stays";
        EXPECT_EQ(sky->coordinator->nextTransition().value_or(SkyTransition{}).date, plan);
        save(paris);
        sky->harness.advance(1);
        EXPECT_EQ(sky->mode(), SkyMode::sunset) << "Paris, minutes after its sunset";
    }
}

TEST(SkyCoordinatorTest, TheTimeZonesGuessHoldsThroughItsChangesUntilAPlaceIsStored) {
    const Following following;
    const auto sky = started("2024-06-21T22:10:00+02:00", false);
    sky->harness.advance(SkyCoordinator::fallbackSeconds);
    ASSERT_EQ(sky->mode(), SkyMode::sunset) << "the guess: Paris, in the hour after sunset";
    ASSERT_TRUE(sky->coordinator->showsTimeZonePlace());
    sky->coordinator->tick();
    sky->harness.advance(1680);
    ASSERT_EQ(sky->mode(), SkyMode::night);
    const TimePoint refresh = *sky->coordinator->refreshAfter();
    sky->tickAt(refresh + 0.5);
    EXPECT_EQ(sky->coordinator->failureCount(), 1u) << "only the first, that showed the panel";
    ASSERT_TRUE(sky->coordinator->nextTransition()) << "the guess plans its sunrise";
    EXPECT_EQ(sky->coordinator->nextTransition()->skyMode, SkyMode::sunrise);
    save(tokyo);
    sky->harness.advance(1);
    EXPECT_FALSE(sky->coordinator->showsTimeZonePlace());
    EXPECT_EQ(sky->mode(), SkyMode::day) << "morning in Tokyo";
}
