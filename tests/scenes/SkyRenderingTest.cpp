// The day and night skies as they show on screen, on small pictures with a
// fixed seed, checked by their properties.

#include "platform/core/Random.h"
#include "scenes/DayView.h"
#include "scenes/NightView.h"
#include "support/RenderFrame.h"

#include <gtest/gtest.h>

using namespace aerolune;
using test::Rgb;

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
