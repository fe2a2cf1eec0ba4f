#include "schedule/SkyCoordinator.h"

#include "astronomy/Solar.h"
#include "scenes/DayView.h"
#include "scenes/LoadingHostingView.h"
#include "scenes/NightView.h"
#include "support/SaverHarness.h"
#include "transitions/SkyTransitionView.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::SaverHarness;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

// Keeps the views in a parent, below the one they replace, as the sky window does.
class Window : public SkyCoordinatorDelegate {
public:
    void skyCoordinatorDidChange(const std::shared_ptr<NativeKitView>& view,
                                 const std::shared_ptr<NativeKitView>& previousView) override {
        ++changes;
        parent->addSubview(view, Ordering::below, previousView.get());
    }
    int changes = 0;
    std::shared_ptr<View> parent = std::make_shared<View>(Rect(0, 0, 100, 100));
};

// A coordinator in a window, at a moment in Paris, started unless told not to.
struct Sky {
    SaverHarness harness;
    const Solar today;
    std::shared_ptr<SkyCoordinator> coordinator = SkyCoordinator::create();
    std::shared_ptr<Window> window = std::make_shared<Window>();

    explicit Sky(const char* start, bool stored = true)
        : harness("Europe/Paris", start, stored ? std::optional(paris) : std::nullopt),
          today(harness.now(), paris) {
        coordinator->setDelegate(window);
        coordinator->start();
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
};

std::string loadingText(const std::shared_ptr<AnimatableView>& view) {
    auto loading = std::dynamic_pointer_cast<LoadingHostingView>(view);
    return loading ? loading->rootView().text() : "(not a loading view)";
}

} // namespace

TEST(SkyCoordinatorTest, AttachingADelegateHandsOverTheLoadingPanelAndNothingWithoutOne) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    auto bare = SkyCoordinator::create();
    bare->setDelegate({});
    EXPECT_FALSE(bare->currentView());
    bare->setDelegate(std::make_shared<Window>());
    EXPECT_EQ(loadingText(bare->currentView()), "Loading the sky…");
}

TEST(SkyCoordinatorTest, APolarDayIsAskedAgainAfterLocalMidnight) {
    SaverHarness harness("Europe/Oslo", "2024-06-21T12:00:00+02:00", {{78.5, 15.5}});
    auto coordinator = SkyCoordinator::create();
    coordinator->start();
    EXPECT_TRUE(coordinator->skyMode() == SkyMode::day && !coordinator->nextTransition());
    EXPECT_EQ(coordinator->refreshAfter(), test::at("2024-06-22T00:00:00+02:00"));
}

TEST(SkyCoordinatorTest, TheAnnouncedChangeFiresOnTheTickAtItsMomentAndTheOldSkyFadesOut) {
    Sky sky("2024-06-21T12:00:00+02:00");
    ASSERT_EQ(sky.mode(), SkyMode::day);
    EXPECT_TRUE(std::dynamic_pointer_cast<DayView>(sky.coordinator->currentView()));
    const TimePoint sunset = *sky.today.sunset();
    EXPECT_EQ(sky.coordinator->nextTransition()->date, sunset);
    sky.coordinator->start();
    EXPECT_EQ(sky.window->changes, 2) << "the same mode again keeps its view";

    sky.tickAt(std::nextafter(sunset, 0.0));
    EXPECT_EQ(sky.mode(), SkyMode::day);
    const auto day = sky.coordinator->currentView();
    sky.tickAt(sunset);
    EXPECT_EQ(sky.mode(), SkyMode::sunset);
    EXPECT_FALSE(sky.coordinator->nextTransition()) << "fired once";
    sky.harness.advance(4.9);
    EXPECT_EQ(day->superview(), sky.window->parent.get()) << "still fading";
    sky.harness.advance(0.1);
    EXPECT_EQ(day->superview(), nullptr);

    EXPECT_TRUE(std::dynamic_pointer_cast<SkyTransitionView>(sky.coordinator->currentView()));
    sky.coordinator->tick(); // the sunset's first frame starts its walk
    sky.harness.advance(1680);
    EXPECT_TRUE(std::dynamic_pointer_cast<NightView>(sky.coordinator->currentView()));

    // Nothing is announced until the hour after sunset is over; then tomorrow's sunrise.
    sky.tickAt(sunset + 3600);
    EXPECT_EQ(sky.forecasts(), 2);
    sky.tickAt(sunset + 3600.5);
    EXPECT_EQ(sky.forecasts(), 3);
    EXPECT_EQ(sky.coordinator->nextTransition()->date, *Solar(sunset + 43200, paris).sunrise());
    EXPECT_EQ(sky.window->changes, 4);
}

// The ten-second fallback to day runs in the whole saver's failure run.
TEST(SkyCoordinatorTest, AFailureBeforeAnySkyShowsWhyInAFreshPanel) {
    Sky sky("2024-06-21T23:00:00+02:00", false);
    EXPECT_EQ(loadingText(sky.coordinator->currentView()),
              "Missing location preference.\nPlease check your settings.");
    EXPECT_EQ(sky.window->parent->subviews().size(), 1u) << "the first panel left at once";
    EXPECT_EQ(sky.harness.logLines().back(),
              "SkyCoordinator failed: Optional(LocationError.missingPref)");
    sky.coordinator->transitionForecasterDidFail(std::nullopt);
    EXPECT_EQ(loadingText(sky.coordinator->currentView()), "Loading the sky…");
    EXPECT_EQ(sky.harness.logLines().back(), "SkyCoordinator failed: nil");
    sky.coordinator->skyTransitionViewDidComplete();
    EXPECT_FALSE(sky.mode()) << "a completion without a mode changes nothing";
}

TEST(SkyCoordinatorTest, AFailureAfterASkyKeepsItAndAsksAgainAnHourLater) {
    Sky sky("2024-06-21T22:00:00+02:00"); // in the hour after sunset
    sky.coordinator->tick();
    sky.harness.advance(1680);
    ASSERT_EQ(sky.mode(), SkyMode::night);
    const TimePoint refresh = *sky.coordinator->refreshAfter();
    std::filesystem::remove(*Prefs::storeFile());
    sky.tickAt(refresh + 0.5);
    EXPECT_EQ(sky.coordinator->failureCount(), 1u);
    sky.harness.advance(SkyCoordinator::fallbackSeconds + 1);
    EXPECT_EQ(sky.mode(), SkyMode::night) << "no day at night";
    EXPECT_EQ(sky.window->changes, 3) << "the night sky stays, not rebuilt";

    std::ofstream(*Prefs::storeFile()) << "\x01garbage"; // unreadable now
    const TimePoint retry = *sky.coordinator->refreshAfter();
    EXPECT_EQ(retry, refresh + 0.5 + 3600);
    sky.tickAt(retry);
    EXPECT_EQ(sky.coordinator->failureCount(), 1u);
    sky.tickAt(retry + 0.5);
    EXPECT_EQ(sky.coordinator->failureCount(), 2u);

    (void)Prefs::setCoordinates(paris);
    sky.tickAt(*sky.coordinator->refreshAfter() + 0.5);
    EXPECT_EQ(sky.coordinator->nextTransition()->skyMode, SkyMode::sunrise);
    EXPECT_EQ(sky.window->changes, 3);
}

TEST(SkyCoordinatorTest, AClockJumpOfMoreThanTwoSecondsAsksAtOnceButJitterDoesNot) {
    Sky sky("2024-06-21T12:00:00+02:00");
    sky.coordinator->tick();
    for (const auto& [jump, asked] : {std::pair{1.9, 1}, {2.1, 2}, {-2.1, 3}, {-1.9, 3}}) {
        sky.harness.clock().setNow(sky.harness.now() + jump); // the wall clock alone
        sky.coordinator->tick();
        EXPECT_EQ(sky.forecasts(), asked) << jump;
    }
    EXPECT_EQ(sky.window->changes, 2) << "still day: the same view";
}

TEST(SkyCoordinatorTest, AChangeMoreThanAMinuteOverdueAsksForTheSkyOfTheMomentInstead) {
    for (const double late : {59.0, 61.0, 7200.0}) {
        SCOPED_TRACE(std::to_string(late) + " s late");
        Sky sky("2024-06-21T21:50:00+02:00");
        sky.tickAt(*sky.today.sunset() + late); // a stalled saver: no frame came
        sky.coordinator->tick();
        EXPECT_EQ(sky.forecasts(), late > 60 ? 2 : 1) << "once, not on every tick";
        EXPECT_EQ(sky.mode(), late < 3600 ? SkyMode::sunset : SkyMode::night);
    }
}

TEST(SkyCoordinatorTest, AReplacedSunsetThatEndsWhileFadingMovesNothing) {
    Sky sky("2024-06-21T21:57:00+02:00");
    sky.tickAt(*sky.today.sunset());
    sky.coordinator->tick();
    sky.harness.advance(1678);
    // Woken in the next sunrise, which plays while the sunset fades out and ends.
    sky.harness.clock().setNow(*Solar(*sky.today.sunset() + 43200, paris).sunrise() + 600);
    sky.coordinator->tick();
    ASSERT_EQ(sky.mode(), SkyMode::sunrise);
    sky.harness.advance(5);
    EXPECT_EQ(sky.mode(), SkyMode::sunrise);
}
