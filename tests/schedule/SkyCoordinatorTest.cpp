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

// Records what the coordinator hands over, and keeps the views in a parent as
// a sky window would.
class RecordingDelegate : public SkyCoordinatorDelegate {
public:
    void skyCoordinatorDidChange(const std::shared_ptr<NativeKitView>& view,
                                 const std::shared_ptr<NativeKitView>& previousView) override {
        changes.push_back({view, previousView});
        if (previousView)
            parent->addSubview(view, Ordering::below, previousView.get());
        else
            parent->addSubview(view);
    }
    struct Change {
        std::shared_ptr<NativeKitView> view, previous;
    };
    std::vector<Change> changes;
    std::shared_ptr<View> parent = std::make_shared<View>(Rect(0, 0, 100, 100));
};

struct Fixture {
    std::shared_ptr<SkyCoordinator> coordinator = SkyCoordinator::create();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    Fixture() { coordinator->setDelegate(delegate); }
};

// Time passes, both clocks together, without frames or delayed work; exact to
// the moment, as the two are close.
void passTo(SaverHarness& harness, TimePoint moment) {
    harness.clock().advance(moment - harness.now());
}

std::string loadingText(const std::shared_ptr<NativeKitView>& view) {
    auto loading = std::dynamic_pointer_cast<LoadingHostingView>(view);
    return loading ? loading->rootView().text() : "(not a loading view)";
}

} // namespace

TEST(SkyCoordinatorTest, AttachingADelegateHandsOverTheLoadingPanelAndNothingWithoutOne) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    auto bare = SkyCoordinator::create();
    bare->setDelegate({});
    EXPECT_FALSE(bare->currentView());

    Fixture f;
    ASSERT_EQ(f.delegate->changes.size(), 1u);
    EXPECT_FALSE(f.delegate->changes[0].previous);
    EXPECT_EQ(loadingText(f.delegate->changes[0].view), "Loading the sky…");
    EXPECT_FALSE(f.coordinator->skyMode());
}

TEST(SkyCoordinatorTest, ForecastAtNoonShowsDayAndFiresSunsetAtItsMoment) {
    SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
    const Solar today(harness.now(), paris);
    Fixture f;
    f.coordinator->start();
    ASSERT_EQ(f.coordinator->skyMode(), SkyMode::day);
    ASSERT_TRUE(f.coordinator->nextTransition());
    EXPECT_EQ(f.coordinator->nextTransition()->skyMode, SkyMode::sunset);
    EXPECT_EQ(f.coordinator->nextTransition()->date, *today.sunset());
    ASSERT_EQ(f.delegate->changes.size(), 2u);
    EXPECT_TRUE(std::dynamic_pointer_cast<DayView>(f.delegate->changes[1].view));

    {
        SCOPED_TRACE("a second forecast with the same mode keeps the view");
        f.coordinator->start();
        EXPECT_EQ(f.delegate->changes.size(), 2u);
    }
    {
        SCOPED_TRACE("one tick before the moment changes nothing; the tick at it fires");
        passTo(harness, std::nextafter(*today.sunset(), 0.0));
        f.coordinator->tick();
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::day);
        passTo(harness, *today.sunset());
        f.coordinator->tick();
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::sunset);
        EXPECT_FALSE(f.coordinator->nextTransition());
        auto sunset = std::dynamic_pointer_cast<SkyTransitionView>(f.coordinator->currentView());
        ASSERT_TRUE(sunset);
        EXPECT_EQ(sunset->delegate(), f.coordinator);
        f.coordinator->tick();
        EXPECT_EQ(f.delegate->changes.size(), 3u);
    }
    {
        SCOPED_TRACE("the sunset view completes 1680 s after its first tick: night");
        harness.advance(1679);
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::sunset);
        harness.advance(1);
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::night);
        EXPECT_TRUE(std::dynamic_pointer_cast<NightView>(f.coordinator->currentView()));
    }
}

TEST(SkyCoordinatorTest, AsksAgainOnceTheHourAfterTheChangeIsOver) {
    SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
    const Solar today(harness.now(), paris);
    Fixture f;
    f.coordinator->start();
    passTo(harness, *today.sunset());
    f.coordinator->tick();
    f.coordinator->tick(); // starts the sunset walk
    harness.advance(1680);
    ASSERT_EQ(f.coordinator->skyMode(), SkyMode::night);
    EXPECT_FALSE(f.coordinator->nextTransition());

    passTo(harness, *today.sunset() + 3600);
    f.coordinator->tick();
    EXPECT_FALSE(f.coordinator->nextTransition()) << "the hour is over only after its end";
    passTo(harness, *today.sunset() + 3600.5);
    f.coordinator->tick();
    ASSERT_TRUE(f.coordinator->nextTransition());
    EXPECT_EQ(f.coordinator->nextTransition()->skyMode, SkyMode::sunrise);
    const Solar tomorrow(*today.sunset() + 12 * 3600, paris);
    EXPECT_EQ(f.coordinator->nextTransition()->date, *tomorrow.sunrise());
    EXPECT_EQ(f.coordinator->skyMode(), SkyMode::night);
}

TEST(SkyCoordinatorTest, PolarDayIsAskedAgainAfterLocalMidnight) {
    SaverHarness harness("Europe/Oslo", "2024-06-21T12:00:00+02:00",
                         CLLocationCoordinate2D{78.5, 15.5});
    Fixture f;
    f.coordinator->start();
    EXPECT_EQ(f.coordinator->skyMode(), SkyMode::day);
    EXPECT_FALSE(f.coordinator->nextTransition());
    ASSERT_TRUE(f.coordinator->refreshAfter());
    EXPECT_EQ(formatUtc(*f.coordinator->refreshAfter()), "2024-06-21T22:00:00Z");
}

TEST(SkyCoordinatorTest, FailureShowsTheReasonThenDayUnlessAForecastSucceededMeanwhile) {
    {
        SCOPED_TRACE("no stored location: the reason, then day ten seconds later");
        SaverHarness harness("UTC", "2024-06-21T23:00:00Z");
        Fixture f;
        f.coordinator->start();
        EXPECT_EQ(loadingText(f.coordinator->currentView()),
                  "Missing location preference.\nPlease check your settings.");
        EXPECT_EQ(f.delegate->changes[0].view->superview(), nullptr) << "removed at once";
        EXPECT_EQ(harness.logLines().back(),
                  "SkyCoordinator failed: Optional(LocationError.missingPref)");
        harness.advance(9);
        EXPECT_FALSE(f.coordinator->skyMode());
        harness.advance(1);
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::day);
        EXPECT_EQ(f.coordinator->failureCount(), 1u);
    }
    {
        SCOPED_TRACE("a forecast that succeeds within the ten seconds is not overridden");
        SaverHarness harness("UTC", "2024-06-21T23:00:00Z");
        Fixture f;
        f.coordinator->start();
        harness.advance(3);
        Prefs::setCoordinates(paris);
        f.coordinator->start();
        ASSERT_EQ(f.coordinator->skyMode(), SkyMode::night);
        harness.advance(10);
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::night);
    }
    {
        SCOPED_TRACE("a failure with no error shows the waiting text");
        SaverHarness harness("UTC", "2024-06-21T23:00:00Z");
        Fixture f;
        f.coordinator->transitionForecasterDidFail(std::nullopt);
        EXPECT_EQ(loadingText(f.coordinator->currentView()), "Loading the sky…");
        EXPECT_EQ(harness.logLines().back(), "SkyCoordinator failed: nil");
        f.coordinator->skyTransitionViewDidComplete();
        EXPECT_FALSE(f.coordinator->skyMode()) << "completion without a mode changes nothing";
    }
}

TEST(SkyCoordinatorTest, QuickChangesStackNewestAtTheBottomAndFadedViewsLeaveAfterFiveSeconds) {
    SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
    const Solar today(harness.now(), paris);
    harness.clock().setNow(*today.sunset() - 2);
    Fixture f;
    f.coordinator->start();
    const auto loading = f.delegate->changes[0].view;
    const auto day = f.delegate->changes[1].view;
    harness.advance(2);
    f.coordinator->tick();
    const auto sunset = f.coordinator->currentView();
    const auto& subviews = f.delegate->parent->subviews();
    ASSERT_EQ(subviews.size(), 3u);
    EXPECT_EQ(subviews[0], sunset);
    EXPECT_EQ(subviews[1], day);
    EXPECT_EQ(subviews[2], loading);
    harness.advance(3);
    EXPECT_EQ(subviews.size(), 2u) << "the loading panel faded out first";
    harness.advance(2);
    ASSERT_EQ(subviews.size(), 1u);
    EXPECT_EQ(subviews[0], sunset);
}

namespace {

std::size_t forecastsAsked(const SaverHarness& harness) {
    return std::count(harness.logLines().begin(), harness.logLines().end(),
                      "[vemo] TransitionForecaster.getLocation");
}

} // namespace

TEST(SkyCoordinatorTest, AFailedRefreshKeepsTheSkyOnShowAndAsksAgainAnHourLater) {
    SaverHarness harness("Europe/Paris", "2024-06-21T21:00:00+02:00", paris);
    const Solar today(harness.now(), paris);
    Fixture f;
    f.coordinator->start();
    passTo(harness, *today.sunset());
    f.coordinator->tick();
    f.coordinator->tick();
    harness.advance(1680);
    ASSERT_EQ(f.coordinator->skyMode(), SkyMode::night);
    const std::size_t views = f.delegate->changes.size();

    std::filesystem::remove(*Prefs::storeFile());
    passTo(harness, *today.sunset() + 3600.5);
    f.coordinator->tick();
    EXPECT_EQ(f.coordinator->failureCount(), 1u);
    EXPECT_EQ(harness.logLines().back(),
              "SkyCoordinator failed: Optional(LocationError.missingPref)");
    harness.advance(SkyCoordinator::fallbackSeconds + 1);
    EXPECT_EQ(f.coordinator->skyMode(), SkyMode::night) << "no fallback to day at night";
    EXPECT_EQ(f.delegate->changes.size(), views) << "the night sky stays, not rebuilt";
    ASSERT_TRUE(f.coordinator->refreshAfter());
    const TimePoint retry = *f.coordinator->refreshAfter();
    EXPECT_EQ(retry, *today.sunset() + 3600.5 + 3600);

    {
        SCOPED_TRACE("an unreadable store an hour later fails again, asked on the hour");
        std::ofstream(*Prefs::storeFile()) << "\x01garbage";
        passTo(harness, retry);
        f.coordinator->tick();
        EXPECT_EQ(f.coordinator->failureCount(), 1u);
        passTo(harness, retry + 0.5);
        f.coordinator->tick();
        EXPECT_EQ(f.coordinator->failureCount(), 2u);
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::night);
    }
    {
        SCOPED_TRACE("the place back: the next try announces tomorrow's sunrise");
        ASSERT_FALSE(Prefs::setCoordinates(paris));
        passTo(harness, *f.coordinator->refreshAfter() + 0.5);
        f.coordinator->tick();
        ASSERT_TRUE(f.coordinator->nextTransition());
        EXPECT_EQ(f.coordinator->nextTransition()->skyMode, SkyMode::sunrise);
        EXPECT_EQ(f.delegate->changes.size(), views);
    }
}

TEST(SkyCoordinatorTest, AClockJumpAsksAtOnceForTheSkyOfTheMomentWithoutTheChangesMissed) {
    {
        SCOPED_TRACE("a jump of more than two seconds either way asks; less does not");
        SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
        Fixture f;
        f.coordinator->start();
        f.coordinator->tick();
        harness.clock().setNow(harness.now() + 1.9);
        f.coordinator->tick();
        EXPECT_EQ(forecastsAsked(harness), 1u);
        harness.clock().setNow(harness.now() + 2.1);
        f.coordinator->tick();
        EXPECT_EQ(forecastsAsked(harness), 2u);
        harness.clock().setNow(harness.now() - 2.1);
        f.coordinator->tick();
        EXPECT_EQ(forecastsAsked(harness), 3u);
        // A saver stopped over a sleep asks when started again, and only then.
        f.coordinator->stop();
        harness.clock().setNow(harness.now() + 600);
        f.coordinator->start();
        f.coordinator->tick();
        EXPECT_EQ(forecastsAsked(harness), 4u);
        EXPECT_EQ(f.delegate->changes.size(), 2u) << "still day: the same view";
    }
    {
        SCOPED_TRACE("a sunset replaced on waking does not move the sky when its walk ends");
        SaverHarness harness("Europe/Paris", "2024-06-21T21:57:00+02:00", paris);
        const Solar today(harness.now(), paris);
        Fixture f;
        f.coordinator->start();
        passTo(harness, *today.sunset());
        f.coordinator->tick();
        f.coordinator->tick();
        harness.advance(1678);
        // Woken in the next sunrise, which plays while the sunset fades out and ends.
        harness.clock().setNow(*Solar(*today.sunset() + 12 * 3600, paris).sunrise() + 600);
        f.coordinator->tick();
        ASSERT_EQ(f.coordinator->skyMode(), SkyMode::sunrise);
        harness.advance(5);
        EXPECT_EQ(f.coordinator->skyMode(), SkyMode::sunrise);
    }
}

TEST(SkyCoordinatorTest, AChangeMoreThanAMinuteOverdueAsksForANewForecastInstead) {
    for (const double late : {59.5, 60.5, 2 * 3600.0}) {
        SCOPED_TRACE(std::to_string(late) + " s late");
        SaverHarness harness("Europe/Paris", "2024-06-21T21:50:00+02:00", paris);
        const Solar today(harness.now(), paris);
        Fixture f;
        f.coordinator->start();
        // A stalled saver: both clocks move on, no frame comes.
        passTo(harness, *today.sunset() + late);
        f.coordinator->tick();
        f.coordinator->tick();
        EXPECT_EQ(forecastsAsked(harness), late > 60 ? 2u : 1u) << "once, not on every tick";
        EXPECT_EQ(f.coordinator->skyMode(), late < 3600 ? SkyMode::sunset : SkyMode::night);
    }
}
