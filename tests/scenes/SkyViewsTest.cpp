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

TEST(DayViewTest, ANewDayHas25WholeCloudsOfTheirRangeOfSizesAtTheOrigin) {
    const DayView view;
    for (const auto& cloud : view.clouds()) {
        const auto [w, h] = cloud->frame().size;
        EXPECT_TRUE(cloud->frame().origin == Point{} && w == std::round(w) && h == std::round(h));
        EXPECT_TRUE(w >= 150 && w <= 350 && h >= std::round(0.5 * w) && h <= std::round(0.8 * w));
    }
}

TEST(NightViewTest, ADrawSizesEachOf300StarsAndSetsItsBrightnessWhichSetsItsSpeed) {
    NightView view;
    ASSERT_EQ(view.stars().size(), 300u);
    EXPECT_EQ(view.stars()[0]->frame(), Rect()) << "unplaced until the first draw";
    view.drawRect(Rect(0, 0, 600, 250));
    for (const auto& star : view.stars()) {
        const Size size = star->frame().size;
        ASSERT_TRUE(size.width == size.height && size.width >= 1 && size.width < 3);
        ASSERT_EQ(star->opacity(), static_cast<float>(size.width * 0.25));
    }
    view.stars()[0]->setOpacity(0.5f);
    EXPECT_EQ(view.stars()[0]->speed(), static_cast<double>(0.01f));
}

TEST(NightViewTest, TwinklesStayStrictlyBetweenOneAndThreePoints) {
    Random::reseedShared(7);
    NightView view;
    Star& star = *view.stars()[0];
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

TEST(CloudTest, PuffsAreDiscsClearAtTheEdgesDensestInTheMiddleAndSymmetric) {
    Cloud cloud(Rect(10, 20, 200, 100));
    ASSERT_EQ(cloud.particles().size(), 1250u);
    EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 48), 0.192);
    EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 52), 0.192);
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

TEST(SkyRenderingTest, ACloudIsDensestInItsMiddleAndSymmetricOnThePlainDayBlue) {
    Random::reseedShared(4);
    auto view = std::make_shared<DayView>();
    view->setFrame(Rect(0, 0, 320, 160));
    Compositor compositor;
    test::renderFrame(compositor, *view, 0); // the first draw scatters the clouds
    for (const auto& cloud : view->clouds())
        cloud->setHidden(true);
    view->layer()->addSublayer(std::make_shared<Cloud>(Rect(60, 30, 200, 100)));
    const test::Pixels pixels = test::renderFrame(compositor, *view, 1);
    // Puffs of 9 points every 4 reach from the first inner one at 4 to 205, so
    // the cloud's density is mirrored about (60 + 104.5, 30 + 54.5).
    const auto mirrored = [&](int x, int y) { return pixels.pointAt(328 - x, 168 - y); };
    int cloudPixels = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 320; ++x) {
            const Rgb p = pixels.pointAt(x, y);
            if (x < 63 || x >= 266 || y < 33 || y >= 136) {
                ASSERT_EQ(p, (Rgb{164, 221, 250})) << x << ", " << y << ": the day sky";
                continue;
            }
            // Overlapping puffs meet in another order on the other side: 8-bit
            // rounding may differ by a few steps.
            ASSERT_TRUE(test::near(p, mirrored(x, y), 3)) << x << ", " << y;
            cloudPixels += p.r > 164;
        }
    EXPECT_GT(cloudPixels, 190 * 90);
    const Rgb middle = pixels.pointAt(164, 84), rim = pixels.pointAt(80, 84);
    EXPECT_GT(middle.r, rim.r + 20);
    EXPECT_GT(rim.r, 164);
    EXPECT_LT(middle.r, 250) << "no puff is opaque";
}

TEST(SkyRenderingTest, TheNightIsPlainNightBlueButWhereAStarLightensIt) {
    Random::reseedShared(11);
    auto view = std::make_shared<NightView>();
    view->setFrame(Rect(0, 0, 240, 120));
    Compositor compositor;
    const test::Pixels pixels = test::renderFrame(compositor, *view, 0);
    int plain = 0, inside = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x)
            if (std::none_of(view->stars().begin(), view->stars().end(), [&](const auto& star) {
                    const Rect f = star->frame().insetBy(-1, -1);
                    return x + 1 > f.minX() && x < f.maxX() && y + 1 > f.minY() && y < f.maxY();
                })) {
                ASSERT_EQ(pixels.pointAt(x, y), (Rgb{19, 24, 98})) << x << ", " << y;
                ++plain;
            }
    for (const auto& star : view->stars()) {
        const Rect f = star->frame();
        if (f.maxX() >= 240 || f.maxY() >= 120)
            continue;
        int brightest = 0;
        for (int y = int(f.minY()); y <= int(f.maxY()); ++y)
            for (int x = int(f.minX()); x <= int(f.maxX()); ++x)
                brightest = std::max(brightest, pixels.pointAt(x, y).r);
        EXPECT_GT(brightest, 19 + (f.width() > 2.5 && star->opacity() > 0.6f ? 80 : 5))
            << describe(f);
        ++inside;
    }
    EXPECT_TRUE(plain > 20000 && inside > 150) << plain << " " << inside;
}
