#include "aerolune/BatteryWatch.h"

#include "aerolune/SaverHostView.h"
#include "astronomy/Solar.h"
#include "platform/output/RunLoop.h"
#include "scenes/DayView.h"
#include "support/PowerSupplies.h"
#include "support/SaverHarness.h"
#include "transitions/SkyTransitionView.h"

using namespace aerolune;

const CLLocationCoordinate2D paris{48.85, 2.35};

// Unplugged, the sky stands still within half a minute: a frame a minute, and
// a sunset that comes meanwhile replaces the day at once, with no fade. Back
// on mains it moves at thirty frames a second again within half a minute.
TEST(BatteryWatchTest, MainsLostAndBackStillsTheSkyAndMovesItAgain) {
    test::SaverHarness harness("UTC", "2024-06-21T19:50:00Z", paris);
    test::PowerSupplies supplies;
    supplies.laptop(true);
    const auto host =
        SaverHostView::create(Rect(0, 0, 160, 90), false, SaverHostView::FrameRate::hidden);
    host->startAnimation();
    RunLoop loop(host);
    const auto watch = BatteryWatch::start([&host](bool still) { host->setStill(still); });
    const auto framesOver = [&](double seconds) {
        const auto before = loop.frameCount();
        loop.advance(harness.clock(), seconds);
        return loop.frameCount() - before;
    };
    EXPECT_NEAR(double(framesOver(10)), 300, 1) << "on mains";
    supplies.laptop(false);
    framesOver(BatteryWatch::checkSeconds);
    EXPECT_TRUE(watch->still());
    EXPECT_LE(framesOver(300), 6u) << "a frame a minute";

    const auto& sky = *host->saver()->skySaverView()->skyCoordinator();
    const auto day = std::dynamic_pointer_cast<DayView>(sky.currentView());
    ASSERT_TRUE(day);
    loop.advance(harness.clock(), *Solar(harness.now(), paris).sunset() - harness.now());
    for (int second = 0; second <= SaverHostView::stillFrameInterval && sky.currentView() == day;
         ++second)
        loop.advance(harness.clock(), 1);
    EXPECT_TRUE(std::dynamic_pointer_cast<SkyTransitionView>(sky.currentView()))
        << "within the minute";
    EXPECT_EQ(day->superview(), nullptr) << "the day left at once, without a fade";

    supplies.laptop(true);
    framesOver(BatteryWatch::checkSeconds + 1);
    EXPECT_FALSE(watch->still());
    EXPECT_NEAR(double(framesOver(10)), 300, 1) << "moving again";
    host->stopAnimation();
}
