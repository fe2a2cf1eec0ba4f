#include "host/AeroluneSaverView.h"
#include "platform/output/RunLoop.h"
#include "scenes/LoadingHostingView.h"
#include "support/SaverHarness.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::SaverHarness;

namespace {
const CLLocationCoordinate2D paris{48.85, 2.35};
}

TEST(SaverViewsTest, SkyWindowIsInsetByAFifthOfTheGeometricMeanRoundedAwayFromZero) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    struct Case {
        Rect frame;
        Rect sky;
    };
    for (const auto& [frame, sky] : {
             Case{Rect(0, 0, 1920, 1080), Rect(288, 288, 1344, 504)},
             Case{Rect(0, 0, 100, 100), Rect(20, 20, 60, 60)},
             Case{Rect(0, 0, 12.5, 12.5), Rect(3, 3, 6.5, 6.5)},
             Case{Rect(0, 0, 296, 184), Rect(47, 47, 202, 90)},
             Case{Rect(0, 0, 1000, 10), Rect::null()},
         }) {
        SCOPED_TRACE(describe(frame));
        auto saver = AeroluneSaverView::create(frame, false);
        ASSERT_TRUE(saver);
        saver->displayIfNeeded();
        EXPECT_EQ(saver->abstractSaverView()->frame(), saver->bounds());
        EXPECT_EQ(saver->skySaverView()->frame(), sky);
        EXPECT_EQ(saver->subviews().front(), saver->abstractSaverView());
        EXPECT_EQ(saver->subviews().back(), saver->skySaverView());
    }
}

TEST(SaverViewsTest, CreationLogsTheFrameAndRefusesAFrameNoWindowCanHave) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    auto saver = AeroluneSaverView::create(Rect(0, 0, 1920, 1080), true);
    ASSERT_TRUE(saver);
    EXPECT_EQ(harness.logLines().front(),
              "[vemo] AeroluneSaverView.init {{0, 0}, {1920, 1080}} true");
    EXPECT_DOUBLE_EQ(saver->animationTimeInterval(), 1.0 / 30.0);
    EXPECT_TRUE(saver->skySaverView()->wantsLayer());
    EXPECT_TRUE(saver->hasConfigureSheet());
    const auto sheet = AeroluneSaverView::configureSheet([](auto task) { task(); });
    EXPECT_EQ(sheet.contentRect, (ConfigureSheet::Rect{0, 0, 800, 600}));
    EXPECT_EQ(sheet.styleMask, 0x800Fu);
    EXPECT_EQ(sheet.frameAutosaveName, "Main Window");
    EXPECT_NE(sheet.window, AeroluneSaverView::configureSheet([](auto task) { task(); }).window)
        << "each call makes a new window";
    EXPECT_FALSE(AeroluneSaverView::create(Rect(0, 0, -1, 10), false));
}

TEST(SaverViewsTest, SkyWindowShowsTheLoadingPanelAtOnceAndSizesOnlyTheCurrentView) {
    SaverHarness harness("Europe/Paris", "2024-06-21T12:00:00+02:00", paris);
    auto sky = SkySaverView::create(Rect(0, 0, 400, 300), false);
    ASSERT_EQ(sky->subviews().size(), 1u);
    const auto loading = sky->subviews()[0];
    EXPECT_TRUE(std::dynamic_pointer_cast<LoadingHostingView>(loading));
    EXPECT_EQ(loading->frame(), sky->bounds());

    sky->startAnimation();
    ASSERT_EQ(sky->subviews().size(), 2u);
    EXPECT_EQ(sky->subviews()[0], sky->skyCoordinator()->currentView());
    sky->setFrame(Rect(0, 0, 200, 100));
    sky->displayIfNeeded();
    EXPECT_EQ(sky->skyCoordinator()->currentView()->frame(), Rect(0, 0, 200, 100));
    EXPECT_EQ(loading->frame(), Rect(0, 0, 400, 300)) << "a fading view keeps its size";
    harness.advance(5);
    EXPECT_EQ(sky->subviews().size(), 1u);
}

TEST(SaverViewsTest, BackdropChainsWalksFromTheColourTheLastOneEndedOn) {
    SaverHarness harness("UTC", "2024-06-21T12:00:00Z");
    auto backdrop = AbstractSaverView::create(Rect(0, 0, 64, 48), false);
    const auto first = backdrop->transitionView();
    ASSERT_EQ(backdrop->subviews().size(), 1u);
    EXPECT_EQ(first->frame().size, Size{}) << "sized by the first draw only";
    EXPECT_FALSE(first->hasStarted());

    backdrop->startAnimation();
    backdrop->startAnimation();
    EXPECT_TRUE(first->hasStarted());
    backdrop->displayIfNeeded();
    EXPECT_EQ(first->frame(), backdrop->bounds());

    harness.advance(7260);
    auto second = backdrop->transitionView();
    ASSERT_NE(second, first);
    ASSERT_EQ(backdrop->subviews().size(), 1u);
    const double now = harness.clock().monotonic();
    EXPECT_EQ(second->gradientLayer().presentationColors(now).front(),
              first->gradientColors().back());
    EXPECT_EQ(second->gradientColors().size(), 30u);
    EXPECT_TRUE(second->hasStarted()) << "the next walk starts at once";
    EXPECT_EQ(second->frame(), backdrop->bounds());

    std::weak_ptr<View> weakBackdrop = backdrop;
    std::weak_ptr<View> weakWalk = second;
    backdrop.reset();
    second.reset();
    EXPECT_TRUE(weakBackdrop.expired()) << "the walk's delegate must not keep the backdrop alive";
    EXPECT_TRUE(weakWalk.expired());
}

TEST(SaverViewsTest, AfterASleepTheSaverShowsTheSkyOfTheMomentAndNoChangeItMissed) {
    struct Case {
        const char* wake;
        SkyMode sky;
    };
    // Asleep at 19:50, eight minutes before the 19:57:51 sunset.
    for (const auto& [wake, sky] :
         {Case{"2024-06-22T09:50:00Z", SkyMode::day}, Case{"2024-06-21T20:30:00Z", SkyMode::sunset},
          Case{"2024-06-22T01:00:00Z", SkyMode::night}}) {
        SCOPED_TRACE(std::string("woken at ") + wake);
        SaverHarness harness("Europe/Paris", "2024-06-21T19:49:00Z", paris);
        auto saver = AeroluneSaverView::create(Rect(0, 0, 320, 200), false);
        const SkyCoordinator& coordinator = *saver->skySaverView()->skyCoordinator();
        RunLoop loop(saver);
        saver->startAnimation();
        loop.advance(harness.clock(), 60);
        ASSERT_EQ(coordinator.skyMode(), SkyMode::day);
        const auto asleep = coordinator.currentView();

        // Suspended: the wall clock moves on, the monotonic clock does not.
        harness.clock().setNow(test::at(wake));
        loop.advance(harness.clock(), 4.9);
        EXPECT_EQ(coordinator.skyMode(), sky);
        EXPECT_TRUE(asleep->superview()) << "the old sky fades out, or stays";
        loop.advance(harness.clock(), 0.2);
        EXPECT_EQ(asleep->superview() != nullptr, sky == SkyMode::day);
        loop.advance(harness.clock(), 120);
        EXPECT_EQ(coordinator.skyMode(), sky);
        EXPECT_EQ(std::count(harness.logLines().begin(), harness.logLines().end(),
                             "[vemo] TransitionForecaster.getLocation"),
                  2)
            << "one forecast at the start, one on waking";
    }
}
