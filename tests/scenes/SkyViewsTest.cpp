// The day and night skies: their clouds and stars, what a draw scatters, how
// each frame moves it, and how it shows on small pictures with a fixed seed.

#include "platform/core/Random.h"
#include "scenes/DayView.h"
#include "scenes/NightView.h"
#include "support/RenderFrame.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;
using test::Rgb;

namespace {

// A draw of 600 x 250 puts an item's corner in [left, right) x [bottom, top).
struct Clouds {
    using Sky = DayView;
    static const auto& items(const DayView& view) { return view.clouds(); }
    static double speed(const Cloud& cloud) { return cloud.cloudspeed(); }
    static constexpr double left = -100, right = 700, bottom = -100, top = 250;
};
struct Stars {
    using Sky = NightView;
    static const auto& items(const NightView& view) { return view.stars(); }
    static double speed(const Star& star) { return star.speed(); }
    static constexpr double left = 0, right = 700, bottom = 0, top = 250;
};

template <typename> struct SkyViewsTest : ::testing::Test {};
using Skies = ::testing::Types<Clouds, Stars>;
TYPED_TEST_SUITE(SkyViewsTest, Skies);

// The alpha of the puff whose corner is at (x, y), or -1 where there is none.
double alphaAt(Cloud& cloud, double x, double y) {
    for (const auto& puff : cloud.particles())
        if (puff->frame().origin == Point{x, y})
            return puff->backgroundColor().alpha();
    return -1;
}

} // namespace

TYPED_TEST(SkyViewsTest, EveryDrawScattersItemsOverTheDirtySizeAndLeavesTheirHiddenFlags) {
    using T = TypeParam;
    typename T::Sky view;
    const auto& items = T::items(view);
    items[3]->setHidden(true);
    double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
    for (int draw = 0; draw < 100; ++draw) {
        view.drawRect(Rect(draw % 2 ? 5000 : 0, 300, 600, 250)); // the origin plays no part
        for (const auto& item : items) {
            const auto [x, y] = item->frame().origin;
            ASSERT_TRUE(x >= T::left && x < T::right && y >= T::bottom && y < T::top);
            left = std::min(left, x), right = std::max(right, x);
            bottom = std::min(bottom, y), top = std::max(top, y);
        }
        ASSERT_TRUE(items[3]->isHidden() && !items[4]->isHidden());
    }
    EXPECT_TRUE(left < T::left + 10 && right > T::right - 10) << left << " " << right;
    EXPECT_TRUE(bottom < T::bottom + 10 && top > T::top - 10) << bottom << " " << top;
}

TYPED_TEST(SkyViewsTest, ItemsDriftLeftByTheirSpeedAndWrapOnlyOnceTheyHaveLeft) {
    typename TypeParam::Sky view;
    view.setFrame(Rect(0, 0, 800, 400));
    auto& item = *TypeParam::items(view)[0];
    const double speed = TypeParam::speed(item);
    item.setFrame(Rect(300, 40, 4, 4)); // a star of 4 is too big to twinkle
    view.animate();
    EXPECT_EQ(item.frame(), Rect(300 - speed, 40, 4, 4));
    const double x0 = -4 + speed, x = x0 - speed;
    item.setFrame(Rect(x0, 70, -x, -x));
    view.animate();
    EXPECT_TRUE(item.frame() == Rect(x, 70, -x, -x) && !item.isHidden())
        << "a right edge at 0 stays";
    const double side = std::nextafter(-x, 0.0);
    item.setFrame(Rect(x0, 70, side, side));
    view.animate();
    EXPECT_TRUE(item.isHidden() && item.frame().minX() == 900) << "one just below 0 wraps, hidden";
    EXPECT_TRUE(item.frame().minY() >= 0 && item.frame().minY() < 400);
    EXPECT_TRUE(item.frame().size == (Size{side, side}) && TypeParam::speed(item) == speed);
    for (const double width : {std::nextafter(900 - speed, 0.0), 900 - speed}) {
        item.setFrame(Rect(900, 10, 4, 4));
        view.setFrame(Rect(0, 0, width, 400));
        view.animate();
        EXPECT_EQ(item.isHidden(), width < 900 - speed) << "shows once back at the width";
    }
    view.setFrame(Rect(0, 0, 800, 0));
    item.setFrame(Rect(-10, 70, 4, 4));
    view.animate();
    EXPECT_EQ(item.frame(), Rect(900, 0, 4, 4)) << "a view without height wraps to its bottom";
}

// A draw sizes each star and sets its brightness, which sets its speed; its
// twinkles then stay strictly between one and three points.
TEST(NightViewTest, ADrawSizes300StarsWhoseBrightnessSetsTheirSpeedAndTheyTwinkleWithin1To3) {
    Random::reseedShared(7);
    NightView view;
    ASSERT_EQ(view.stars().size(), 300u);
    view.drawRect(Rect(0, 0, 600, 250));
    for (const auto& star : view.stars()) {
        const Size size = star->frame().size;
        ASSERT_TRUE(size.width == size.height && size.width >= 1 && size.width < 3);
        ASSERT_EQ(star->opacity(), static_cast<float>(size.width * 0.25));
    }
    Star& star = *view.stars()[0];
    star.setOpacity(0.5f);
    EXPECT_EQ(star.speed(), static_cast<double>(0.01f));
    for (const double side : {2.9, 1.05, 2.0}) {
        double smallest = 3, largest = 0;
        for (int frame = 0; frame < 2000; ++frame) {
            star.setFrame(Rect(400, 200, side, side));
            view.animate();
            smallest = std::min(smallest, star.frame().width());
            largest = std::max(largest, star.frame().width());
        }
        EXPECT_TRUE(smallest > 1 && largest < 3) << side;
        EXPECT_TRUE(smallest < side && largest > side) << side << ": it does twinkle";
    }
}

// A new day has 25 whole clouds of their range of sizes at the origin.
TEST(CloudTest, ADaysCloudsAreSizedAndTheirPuffsAreDiscsClearAtTheEdgesDensestInTheMiddle) {
    const DayView day;
    ASSERT_EQ(day.clouds().size(), 25u);
    for (const auto& cloud : day.clouds()) {
        const auto [w, h] = cloud->frame().size;
        EXPECT_TRUE(cloud->frame().origin == Point{} && w == std::round(w) && h == std::round(h));
        EXPECT_TRUE(w >= 150 && w <= 350 && h >= std::round(0.5 * w) && h <= std::round(0.8 * w));
    }
    Cloud cloud(Rect(10, 20, 200, 100));
    ASSERT_EQ(cloud.particles().size(), 1250u);
    EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 48), 0.192);
    double densest = 0;
    for (const auto& puff : cloud.particles()) {
        const Point p = puff->frame().origin;
        const double alpha = puff->backgroundColor().alpha();
        densest = std::max(densest, alpha);
        if (p.x == 0 || p.y == 0)
            ASSERT_EQ(alpha, 0) << "clear along the starting edges";
        else
            ASSERT_DOUBLE_EQ(alpha, alphaAt(cloud, 200 - p.x, 100 - p.y)) << "mirrored";
    }
    EXPECT_DOUBLE_EQ(densest, 0.192);
    Cloud even(Rect(0, 0, 200, 104));
    EXPECT_DOUBLE_EQ(alphaAt(even, 100, 52), 0.2) << "a puff in the middle";
    for (const auto& [side, puffs] : {std::pair{3.99, 0u}, {4.0, 25u}, {7.99, 25u}, {8.0, 50u}}) {
        EXPECT_EQ(Cloud(Rect(0, 0, side, 100)).particles().size(), puffs) << side;
        Cloud laidOut(Rect(0, 0, 100, side));
        laidOut.layoutIfNeeded(); // as before its first frame
        EXPECT_EQ(laidOut.sublayers().size(), puffs) << side;
    }
    const auto& puff = cloud.particles()[5]; // a disc at any size, once laid out
    puff->setFrame(Rect(0, 0, 12, 12));
    cloud.layoutIfNeeded();
    EXPECT_EQ(puff->cornerRadius(), 6.0);
}

// Whether the compositor keeps a cloud's puffs in place and mirrored is
// CompositorTest's; here, that a day shows its blue and a cloud's white, and
// the night its blue that only stars lighten.
TEST(SkyRenderingTest, ACloudIsWhitestInItsMiddleOnTheDayBlueAndStarsOnlyLightenTheNight) {
    Random::reseedShared(4);
    auto day = std::make_shared<DayView>();
    day->setFrame(Rect(0, 0, 320, 160));
    Compositor compositor;
    test::renderFrame(compositor, *day, 0); // the first draw scatters the clouds
    for (const auto& cloud : day->clouds())
        cloud->setHidden(true);
    day->layer()->addSublayer(std::make_shared<Cloud>(Rect(60, 30, 200, 100)));
    const test::Pixels pixels = test::renderFrame(compositor, *day, 1);
    // Puffs of 9 points every 4 reach from the first inner one at 4 to 205:
    // 203 x 103 pixels from x = 63 and y = 33 up, row 24 down. The rest is sky.
    const auto sky = [](const Rgb& p) { return p == Rgb{164, 221, 250}; };
    const auto whiter = [](const Rgb& p) { return p.r > 164; };
    EXPECT_EQ(pixels.count(0, 0, 320, 160, sky),
              320 * 160 - pixels.count(63, 24, 203, 103, whiter));
    EXPECT_GT(pixels.count(63, 24, 203, 103, whiter), 190 * 90);
    const Rgb middle = pixels.pointAt(164, 84), rim = pixels.pointAt(80, 84);
    EXPECT_TRUE(middle.r > rim.r + 20 && rim.r > 164);
    EXPECT_LT(middle.r, 250) << "no puff is opaque";

    Random::reseedShared(11);
    auto night = std::make_shared<NightView>();
    night->setFrame(Rect(0, 0, 240, 120));
    Compositor nightCompositor;
    const test::Pixels stars = test::renderFrame(nightCompositor, *night, 0);
    const auto dark = [](const Rgb& p) { return p == Rgb{19, 24, 98}; };
    // Some 200 stars fall in the picture, none more than 4 x 4 pixels; the large
    // bright ones light a few pixels each.
    EXPECT_GT(stars.count(0, 0, 240, 120, dark), 240 * 120 - 200 * 16);
    EXPECT_GT(stars.count(0, 0, 240, 120, [](const Rgb& p) { return p.r > 19 + 80; }), 200);
    EXPECT_EQ(stars.count(0, 0, 240, 120, [&](const Rgb& p) { return !dark(p) && p.b < 98; }), 0)
        << "a star only lightens";
}
