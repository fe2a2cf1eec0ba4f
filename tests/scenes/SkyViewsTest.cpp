// The day and night skies: what a draw scatters, and how each frame moves it.

#include "platform/core/Random.h"
#include "scenes/DayView.h"
#include "scenes/NightView.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

// Where a draw may put an item's corner: x from left to right, y from bottom
// to top, for a dirty rectangle of 600 x 250.
struct Scatter {
    double left, right, bottom, top;
};

struct Clouds {
    using View = DayView;
    static const auto& items(const DayView& view) { return view.clouds(); }
    static double speed(const Cloud& cloud) { return cloud.cloudspeed(); }
    static constexpr Scatter scatter{-100, 700, -100, 250};
};

struct Stars {
    using View = NightView;
    static const auto& items(const NightView& view) { return view.stars(); }
    static double speed(const Star& star) { return star.speed(); }
    static constexpr Scatter scatter{0, 700, 0, 250};
};

template <typename Sky> class SkyViewsTest : public ::testing::Test {
protected:
    void SetUp() override { Random::reseedShared(1969); }

    std::shared_ptr<typename Sky::View> view = [] {
        auto view = std::make_shared<typename Sky::View>();
        view->setFrame(Rect(0, 0, 800, 400));
        return view;
    }();
};

using Skies = ::testing::Types<Clouds, Stars>;
TYPED_TEST_SUITE(SkyViewsTest, Skies);

} // namespace

TYPED_TEST(SkyViewsTest, EveryDrawScattersItemsOverTheDirtySizeOnlyAndKeepsThemAsTheyWere) {
    const auto& items = TypeParam::items(*this->view);
    items[3]->setHidden(true);
    const Size size = items[0]->frame().size;
    const Scatter s = TypeParam::scatter;
    Scatter reached{1e9, -1e9, 1e9, -1e9};
    for (int draw = 0; draw < 100; ++draw) {
        this->view->drawRect(Rect(draw % 2 ? 5000 : 0, 300, 600, 250)); // the origin plays no part
        for (const auto& item : items) {
            const Point p = item->frame().origin;
            ASSERT_TRUE(p.x >= s.left && p.x < s.right && p.y >= s.bottom && p.y < s.top);
            reached = {std::min(reached.left, p.x), std::max(reached.right, p.x),
                       std::min(reached.bottom, p.y), std::max(reached.top, p.y)};
        }
        ASSERT_TRUE(items[3]->isHidden() && !items[4]->isHidden()) << "hidden flags stay";
    }
    EXPECT_LT(reached.left, s.left + 10);
    EXPECT_GT(reached.right, s.right - 10);
    EXPECT_LT(reached.bottom, s.bottom + 10);
    EXPECT_GT(reached.top, s.top - 10);
    if constexpr (std::is_same_v<TypeParam, Clouds>)
        EXPECT_EQ(items[0]->frame().size, size) << "a cloud keeps its size";
}

TYPED_TEST(SkyViewsTest, ItemsDriftLeftByTheirSpeedAndWrapOnlyOnceTheyHaveLeft) {
    auto& view = *this->view;
    auto& item = *TypeParam::items(view)[0];
    const double speed = TypeParam::speed(item);
    ASSERT_GT(speed, 0);
    item.setFrame(Rect(300, 40, 4, 4)); // a star of 4 is too big to twinkle
    view.animate();
    EXPECT_EQ(item.frame(), Rect(300 - speed, 40, 4, 4));
    const double x0 = -4 + speed, x = x0 - speed;
    {
        SCOPED_TRACE("a right edge of exactly 0 stays");
        item.setFrame(Rect(x0, 70, -x, -x));
        view.animate();
        EXPECT_EQ(item.frame(), Rect(x, 70, -x, -x));
        EXPECT_FALSE(item.isHidden());
    }
    {
        SCOPED_TRACE("a right edge just below 0 wraps, hidden, beyond the right edge");
        const double side = std::nextafter(-x, 0.0);
        item.setFrame(Rect(x0, 70, side, side));
        view.animate();
        EXPECT_TRUE(item.isHidden());
        EXPECT_EQ(item.frame().minX(), 900);
        EXPECT_TRUE(item.frame().minY() >= 0 && item.frame().minY() < 400);
        EXPECT_EQ(item.frame().size, (Size{side, side}));
        EXPECT_EQ(TypeParam::speed(item), speed);
    }
    {
        SCOPED_TRACE("it shows again once its left edge has come back to the width");
        item.setFrame(Rect(900, 10, 4, 4));
        view.setFrame(Rect(0, 0, std::nextafter(900 - speed, 0.0), 400));
        view.animate();
        EXPECT_TRUE(item.isHidden());
        item.setFrame(Rect(900, 10, 4, 4));
        view.setFrame(Rect(0, 0, 900 - speed, 400));
        view.animate();
        EXPECT_FALSE(item.isHidden());
    }
    {
        SCOPED_TRACE("in a view without height it wraps to the bottom");
        view.setFrame(Rect(0, 0, 800, 0));
        item.setFrame(Rect(-10, 70, 4, 4));
        view.animate();
        EXPECT_EQ(item.frame(), Rect(900, 0, 4, 4));
    }
}

TEST(DayViewTest, ANewDayHas25WholeCloudsOfTheirRangeOfSizesAtTheOrigin) {
    const DayView view;
    ASSERT_EQ(view.clouds().size(), 25u);
    for (const auto& cloud : view.clouds()) {
        const Rect frame = cloud->frame();
        EXPECT_EQ(frame.origin, Point{});
        EXPECT_TRUE(frame.width() == std::round(frame.width()) && frame.width() >= 150 &&
                    frame.width() <= 350);
        EXPECT_TRUE(frame.height() == std::round(frame.height()) &&
                    frame.height() >= std::round(0.5 * frame.width()) &&
                    frame.height() <= std::round(0.8 * frame.width()));
        EXPECT_TRUE(cloud->cloudspeed() >= 0.05 && cloud->cloudspeed() < 0.7);
    }
}

TEST(NightViewTest, ADrawSizesEachOf300StarsAndSetsItsBrightnessWhichSetsItsSpeed) {
    auto view = std::make_shared<NightView>();
    ASSERT_EQ(view->stars().size(), 300u);
    EXPECT_EQ(view->stars()[0]->frame(), Rect()) << "unplaced until the first draw";
    view->drawRect(Rect(0, 0, 600, 250));
    for (const auto& star : view->stars()) {
        const Rect frame = star->frame();
        ASSERT_TRUE(frame.width() == frame.height() && frame.width() >= 1 && frame.width() < 3);
        ASSERT_EQ(star->opacity(), static_cast<float>(frame.width() * 0.25));
    }
    Star& star = *view->stars()[0];
    star.setOpacity(0.5f);
    EXPECT_EQ(star.speed(), static_cast<double>(0.01f));
}

TEST(NightViewTest, TwinklesStayStrictlyBetweenOneAndThreePoints) {
    Random::reseedShared(7);
    auto view = std::make_shared<NightView>();
    view->setFrame(Rect(0, 0, 800, 400));
    Star& star = *view->stars()[0];
    for (const double side : {2.9, 1.05, 2.0}) {
        SCOPED_TRACE(side);
        double smallest = 3, largest = 0;
        for (int frame = 0; frame < 2000; ++frame) {
            star.setFrame(Rect(400, 200, side, side));
            view->animate();
            smallest = std::min(smallest, star.frame().width());
            largest = std::max(largest, star.frame().width());
        }
        EXPECT_TRUE(smallest > 1 && largest < 3);
        EXPECT_TRUE(smallest < side && largest > side) << "it does twinkle";
    }
}
