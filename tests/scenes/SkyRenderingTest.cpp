// The day and night skies as they show on screen, checked by their properties
// on small pictures with a fixed seed.

#include "palette/ColorHelper.h"
#include "platform/core/Random.h"
#include "scenes/DayView.h"
#include "scenes/NightView.h"
#include "support/Rendering.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;
using test::pixelAt;
using test::Rgb;

namespace {

// How far a puff reaches beyond its cloud's rectangle (the last puff starts at
// most 4 points before the far edge and is 9 wide), plus a pixel of antialiasing.
constexpr double puffOverhang = 6;

bool covers(const Rect& area, double x, double y) {
    return x >= area.minX() && x < area.maxX() && y >= area.minY() && y < area.maxY();
}

Rect reach(const Cloud& cloud) {
    const Rect frame = cloud.frame();
    return Rect(frame.minX() - 1, frame.minY() - 1, frame.width() + puffOverhang + 1,
                frame.height() + puffOverhang + 1);
}

} // namespace

TEST(SkyRenderingTest, TheDaySkyIsDayBlueAwayFromCloudsAndCloudsAreDensestInTheMiddle) {
    Random::reseedShared(4);
    auto view = std::make_shared<DayView>();
    view->setFrame(Rect(0, 0, 480, 180));
    view->layoutSubtreeIfNeeded();
    view->displayIfNeeded();
    // Twenty-five clouds cover a picture this small: keep one in five, and the
    // hidden ones must not show either.
    std::vector<std::shared_ptr<Cloud>> shown;
    for (std::size_t i = 0; i < view->clouds().size(); ++i) {
        view->clouds()[i]->setHidden(i % 5 != 0);
        if (i % 5 == 0)
            shown.push_back(view->clouds()[i]);
    }
    Compositor compositor;
    test::renderFrame(compositor, *view, 0);
    const Rgb sky = test::rgbOf(ColorHelper::daySkyColor());
    int skyPixels = 0;
    {
        SCOPED_TRACE("away from every cloud the sky is plain");
        for (int y = 0; y < 180; ++y)
            for (int x = 0; x < 480; ++x) {
                const bool nearCloud =
                    std::any_of(shown.begin(), shown.end(),
                                [&](const auto& cloud) { return covers(reach(*cloud), x, y); });
                if (nearCloud)
                    continue;
                ++skyPixels;
                const Rgb p = pixelAt(compositor, x, y);
                ASSERT_TRUE(test::near(p, sky, 0)) << x << ", " << y;
            }
        EXPECT_GT(skyPixels, 1000);
    }
    {
        SCOPED_TRACE("a lone cloud: its middle whiter than its rim, its rim whiter than the sky");
        int lone = 0;
        for (const auto& cloud : shown) {
            const Rect frame = cloud->frame();
            const Point middle = frame.center();
            const Point rim{frame.minX() + frame.width() * 0.1, middle.y};
            const auto overlapped = [&](Point p) {
                return std::any_of(shown.begin(), shown.end(), [&](const auto& other) {
                    return other != cloud && covers(reach(*other), p.x, p.y);
                });
            };
            const Rect image(0, 0, 480, 180);
            if (!covers(image, middle.x, middle.y) || !covers(image, rim.x, rim.y) ||
                overlapped(middle) || overlapped(rim))
                continue;
            ++lone;
            const Rgb centre = pixelAt(compositor, int(middle.x), int(middle.y));
            const Rgb edge = pixelAt(compositor, int(rim.x), int(rim.y));
            EXPECT_GT(centre.r, edge.r + 20);
            EXPECT_GT(edge.r, sky.r);
            EXPECT_LT(centre.r, 250) << "no puff is opaque";
            EXPECT_GE(centre.b, sky.b) << "clouds only whiten the sky";
        }
        EXPECT_GE(lone, 1);
    }
}

TEST(SkyRenderingTest, TheNightSkyIsNightBlueWithAPaleSpotAtEveryStar) {
    Random::reseedShared(11);
    auto view = std::make_shared<NightView>();
    view->setFrame(Rect(0, 0, 240, 120));
    Compositor compositor;
    test::renderFrame(compositor, *view, 0);
    const Rgb night = test::rgbOf(ColorHelper::nightSkyColor());
    const auto nearStar = [&](int x, int y) {
        return std::any_of(view->stars().begin(), view->stars().end(), [&](const auto& star) {
            const Rect f = star->frame();
            return x + 1 >= f.minX() - 1 && x <= f.maxX() + 1 && y + 1 >= f.minY() - 1 &&
                   y <= f.maxY() + 1;
        });
    };
    {
        SCOPED_TRACE("away from every star the sky is plain");
        int plain = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 240; ++x)
                if (!nearStar(x, y)) {
                    ++plain;
                    ASSERT_TRUE(test::near(pixelAt(compositor, x, y), night, 0)) << x << ", " << y;
                }
        EXPECT_GT(plain, 20000);
    }
    {
        SCOPED_TRACE("each star in the picture lightens a pixel, more for a bigger star");
        int shown = 0;
        for (const auto& star : view->stars()) {
            const Rect f = star->frame();
            if (f.maxX() >= 240 || f.maxY() >= 120)
                continue;
            int brightest = 0;
            for (int y = int(f.minY()); y <= int(f.maxY()); ++y)
                for (int x = int(f.minX()); x <= int(f.maxX()); ++x)
                    brightest = std::max(brightest, pixelAt(compositor, x, y).r);
            EXPECT_GT(brightest, night.r + 5) << describe(f);
            if (f.width() > 2.5 && star->opacity() > 0.6f) {
                EXPECT_GT(brightest, night.r + 80) << describe(f);
            }
            ++shown;
        }
        EXPECT_GT(shown, 150);
    }
}

TEST(SkyRenderingTest, NightFramesDrawnPieceByPieceEqualTheSameSkyDrawnAfresh) {
    // Two skies scattered and stepped from the same random values: one drawn
    // only where it changed, one drawn whole every frame. Crowded (300 stars
    // on 160 x 60) so that stars overlap and lie partly in each other's damage.
    const auto scattered = [] {
        Random::reseedShared(21);
        auto view = std::make_shared<NightView>();
        view->setFrame(Rect(0, 0, 160, 60));
        view->layoutSubtreeIfNeeded();
        view->displayIfNeeded();
        return view;
    };
    const auto live = scattered(), reference = scattered();
    Compositor compositor;
    test::renderFrame(compositor, *live, 0);
    int quietFrames = 0, partialFrames = 0;
    for (int frame = 1; frame <= 90; ++frame) {
        SCOPED_TRACE(frame);
        Random::reseedShared(1000 + frame);
        live->animate();
        Random::reseedShared(1000 + frame);
        reference->animate();
        live->layoutSubtreeIfNeeded();
        live->displayIfNeeded();
        long area = 0;
        for (const auto& r : compositor.render(*live, frame))
            area += static_cast<long>(r.width) * r.height;
        if (area == 0)
            ++quietFrames;
        else if (area < 160 * 60 / 2)
            ++partialFrames;
        Compositor fresh;
        test::renderFrame(fresh, *reference, frame);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 160; ++x) {
                const Rgb a = pixelAt(compositor, x, y), b = pixelAt(fresh, x, y);
                ASSERT_TRUE(test::near(a, b, 0)) << x << ", " << y;
            }
    }
    EXPECT_GT(partialFrames, 80) << "most frames redraw a few stars, not the sky";
    EXPECT_EQ(quietFrames, 0) << "with 300 twinkling stars some always change";
}
