#include "scenes/DayView.h"

#include "palette/ColorHelper.h"
#include "platform/core/Random.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

class DayViewTest : public ::testing::Test {
protected:
    void SetUp() override { Random::reseedShared(20240601); }
    void TearDown() override { View::setBackingLayersAvailable(true); }

    // A day view of 800 x 400 with one cloud put where a test wants it.
    std::shared_ptr<DayView> sizedView() {
        auto view = std::make_shared<DayView>();
        view->setFrame(Rect(0, 0, 800, 400));
        return view;
    }
};

} // namespace

TEST_F(DayViewTest, ANewDayHas25CloudsAtTheOriginOnTheDayBlue) {
    const auto view = std::make_shared<DayView>();
    EXPECT_EQ(view->frame(), Rect());
    ASSERT_EQ(view->clouds().size(), 25u);
    ASSERT_NE(view->layer(), nullptr);
    EXPECT_EQ(view->layer()->backgroundColor(), ColorHelper::daySkyColor());
    ASSERT_EQ(view->layer()->sublayers().size(), 25u);
    for (std::size_t i = 0; i < view->clouds().size(); ++i) {
        SCOPED_TRACE(i);
        const Cloud& cloud = *view->clouds()[i];
        EXPECT_EQ(view->layer()->sublayers()[i].get(), &cloud) << "list order is layer order";
        const Rect frame = cloud.frame();
        EXPECT_EQ(frame.origin, Point{});
        EXPECT_EQ(frame.width(), std::round(frame.width()));
        EXPECT_GE(frame.width(), 150);
        EXPECT_LE(frame.width(), 350);
        EXPECT_EQ(frame.height(), std::round(frame.height()));
        EXPECT_GE(frame.height(), std::round(0.5 * frame.width()));
        EXPECT_LE(frame.height(), std::round(0.8 * frame.width()));
        EXPECT_FALSE(cloud.isHidden());
        EXPECT_EQ(cloud.particles().size(),
                  std::size_t(frame.width() / 4) * std::size_t(frame.height() / 4));
    }
}

TEST_F(DayViewTest, TheSeedGivesTheSameSkyThroughSizesThenSpeedCloudByCloud) {
    Random::reseedShared(99);
    const auto view = std::make_shared<DayView>();
    Random expected(99);
    for (const auto& cloud : view->clouds()) {
        const double width = std::round(expected.uniform(150, 350));
        const double height = std::round(expected.uniform(0.5, 0.8) * width);
        EXPECT_EQ(cloud->frame().size, (Size{width, height}));
        EXPECT_EQ(cloud->cloudspeed(), expected.uniform(0.05, 0.7));
    }
}

TEST_F(DayViewTest, EveryDrawScattersTheCloudsAroundTheDirtySizeOnly) {
    const auto view = sizedView();
    view->clouds()[3]->setHidden(true);
    std::vector<Size> sizes;
    std::vector<double> speeds;
    for (const auto& cloud : view->clouds()) {
        sizes.push_back(cloud->frame().size);
        speeds.push_back(cloud->cloudspeed());
    }
    double left = 1e9, right = -1e9, low = 1e9;
    for (int draw = 0; draw < 200; ++draw) {
        // The origin of the dirty rectangle plays no part.
        view->drawRect(Rect(draw % 2 ? 5000 : 0, 300, 600, 250));
        for (std::size_t i = 0; i < view->clouds().size(); ++i) {
            const Cloud& cloud = *view->clouds()[i];
            const Rect frame = cloud.frame();
            ASSERT_GE(frame.minX(), -100);
            ASSERT_LT(frame.minX(), 700);
            ASSERT_GE(frame.minY(), -100);
            ASSERT_LT(frame.minY(), 250);
            ASSERT_EQ(frame.size, sizes[i]);
            ASSERT_EQ(cloud.cloudspeed(), speeds[i]);
            ASSERT_EQ(cloud.isHidden(), i == 3) << "a draw leaves the hidden flags alone";
            left = std::min(left, frame.minX());
            right = std::max(right, frame.minX());
            low = std::min(low, frame.minY());
        }
    }
    EXPECT_LT(left, -90);
    EXPECT_GT(right, 690);
    EXPECT_LT(low, -90);
}

TEST_F(DayViewTest, CloudsDriftLeftByTheirOwnSpeedEachFrame) {
    const auto view = sizedView();
    view->drawRect(view->bounds());
    std::vector<Rect> before;
    for (const auto& cloud : view->clouds()) {
        cloud->setFrame(Rect(400, 100, cloud->frame().width(), cloud->frame().height()));
        before.push_back(cloud->frame());
    }
    for (int frame = 0; frame < 3; ++frame)
        view->animate();
    for (std::size_t i = 0; i < before.size(); ++i) {
        const Cloud& cloud = *view->clouds()[i];
        const double speed = cloud.cloudspeed();
        EXPECT_EQ(cloud.frame(),
                  Rect(400 - speed - speed - speed, 100, before[i].width(), before[i].height()));
    }
}

TEST_F(DayViewTest, ACloudWrapsOnlyOnceItsRightEdgeHasPassedZero) {
    const auto view = sizedView();
    Cloud& cloud = *view->clouds()[0];
    const double speed = cloud.cloudspeed();
    const double x0 = -50;
    const double newX = x0 - speed;
    {
        SCOPED_TRACE("a right edge of exactly 0 stays");
        cloud.setFrame(Rect(x0, 70, -newX, 120));
        view->animate();
        EXPECT_EQ(cloud.frame(), Rect(newX, 70, -newX, 120));
        EXPECT_FALSE(cloud.isHidden());
    }
    {
        SCOPED_TRACE("a right edge just below 0 wraps to the right, hidden");
        const double width = std::nextafter(-newX, 0.0);
        cloud.setFrame(Rect(x0, 70, width, 120));
        view->animate();
        EXPECT_TRUE(cloud.isHidden());
        EXPECT_EQ(cloud.frame().minX(), 900);
        EXPECT_GE(cloud.frame().minY(), 0);
        EXPECT_LT(cloud.frame().minY(), 400);
        EXPECT_EQ(cloud.frame().size, (Size{width, 120}));
        EXPECT_EQ(cloud.cloudspeed(), speed);
    }
    {
        SCOPED_TRACE("the new height is spread over the whole view");
        double lowest = 400, highest = 0;
        for (int i = 0; i < 500; ++i) {
            cloud.setFrame(Rect(-10, 70, 5, 120));
            view->animate();
            lowest = std::min(lowest, cloud.frame().minY());
            highest = std::max(highest, cloud.frame().minY());
        }
        EXPECT_LT(lowest, 10);
        EXPECT_GT(highest, 390);
    }
}

TEST_F(DayViewTest, AWrappedCloudShowsOnceItsLeftEdgeHasReachedTheViewsWidth) {
    const auto view = sizedView();
    Cloud& cloud = *view->clouds()[0];
    const double speed = cloud.cloudspeed();
    const double x0 = 900;
    const double newX = x0 - speed;
    cloud.setHidden(true);
    {
        SCOPED_TRACE("a left edge just beyond the width stays hidden");
        cloud.setFrame(Rect(x0, 10, 200, 100));
        view->setFrame(Rect(0, 0, std::nextafter(newX, 0.0), 400));
        view->animate();
        EXPECT_TRUE(cloud.isHidden());
        EXPECT_EQ(cloud.frame().minX(), newX);
    }
    {
        SCOPED_TRACE("a left edge at exactly the width shows");
        cloud.setFrame(Rect(x0, 10, 200, 100));
        view->setFrame(Rect(0, 0, newX, 400));
        view->animate();
        EXPECT_FALSE(cloud.isHidden());
    }
    {
        SCOPED_TRACE("a wrapped cloud drifts in hidden and shows on the frame it reaches the edge");
        view->setFrame(Rect(0, 0, 800, 400));
        cloud.setFrame(Rect(-300, 10, 200, 100));
        view->animate();
        ASSERT_TRUE(cloud.isHidden());
        int frames = 0;
        while (cloud.isHidden() && frames < 100000) {
            const double before = cloud.frame().minX();
            view->animate();
            ++frames;
            if (cloud.isHidden())
                ASSERT_GT(cloud.frame().minX(), 800) << "after " << frames << " frames";
            else
                ASSERT_GT(before, 800);
        }
        EXPECT_FALSE(cloud.isHidden());
        EXPECT_LE(cloud.frame().minX(), 800);
    }
}

TEST_F(DayViewTest, AWrapInAViewWithoutHeightPutsTheCloudAtTheBottom) {
    auto view = std::make_shared<DayView>();
    view->setFrame(Rect(0, 0, 500, 0));
    Cloud& cloud = *view->clouds()[0];
    cloud.setFrame(Rect(-200, 55, 150, 90));
    view->animate();
    EXPECT_TRUE(cloud.isHidden());
    EXPECT_EQ(cloud.frame(), Rect(600, 0, 150, 90));
}

TEST_F(DayViewTest, WithoutABackingLayerTheCloudsStillDrift) {
    View::setBackingLayersAvailable(false);
    auto view = std::make_shared<DayView>();
    EXPECT_EQ(view->layer(), nullptr);
    ASSERT_EQ(view->clouds().size(), 25u);
    for (const auto& cloud : view->clouds())
        EXPECT_EQ(cloud->superlayer(), nullptr);
    view->setFrame(Rect(0, 0, 300, 200));
    view->drawRect(view->bounds());
    const Rect before = view->clouds()[0]->frame();
    view->animate();
    EXPECT_LT(view->clouds()[0]->frame().minX(), before.minX());
}
