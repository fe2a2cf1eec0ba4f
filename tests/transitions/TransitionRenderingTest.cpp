// The two gradient views as they show on screen, on small pictures: which
// colour sits at which edge. How colours mix between steps is the animations'
// (BasicAnimationTest); here a step's first moment tells what is shown (the
// step's colours) from the layer's model (the next step's).

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "support/RenderFrame.h"
#include "support/ScopedEnvironment.h"
#include "transitions/SkyTransitionView.h"
#include "transitions/TransitionView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;
using Type = SkyTransitionView::SkyTransitionType;
using std::numbers::pi;

namespace {

constexpr int width = 60, height = 40;

// Where a pixel's centre (y up) lies along the axis of a gradient turned
// counterclockwise by `angle`: 0 at the first colour's edge, 1 at the second's.
double alongAxis(double angle, int x, int y) {
    const double length = std::abs(std::cos(angle)) > 0.5 ? height : width;
    return 0.5 + ((x + 0.5 - width / 2.0) * -std::sin(angle) +
                  (y + 0.5 - height / 2.0) * std::cos(angle)) /
                     length;
}

// Whether every pixel is the linear blend of the two colours at its place.
bool blends(const test::Pixels& pixels, double angle, const Color& first, const Color& second) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (!test::near(pixels.pointAt(x, y),
                            test::rgbOf(first.interpolated(second, alongAxis(angle, x, y)))))
                return false;
    return true;
}

} // namespace

TEST(TransitionRenderingTest, SunsetsBringColoursDownSunrisesUpAndTheAbstractOnesAlongAnyTurn) {
    MainQueue::main().reset();
    test::ScopedManualClock clock{0};
    auto compositor = std::make_unique<Compositor>();
    const auto renderAt = [&](View& view, double seconds) {
        MainQueue::main().advance(*clock, seconds - clock->monotonic());
        return test::renderFrame(*compositor, view, clock->monotonic());
    };
    auto sunset = std::make_shared<SkyTransitionView>(Type::sunset);
    sunset->setFrame(Rect(0, 0, width, height));
    const auto& c = ColorHelper::sunsetColors();
    EXPECT_TRUE(blends(renderAt(*sunset, 0), 0, c[0], c[0]));
    sunset->animate();
    EXPECT_TRUE(blends(renderAt(*sunset, 480), 0, c[1], c[2]));
    EXPECT_TRUE(blends(renderAt(*sunset, 1680), 0, c[6], c[6]));

    auto sunrise = std::make_shared<SkyTransitionView>(Type::sunrise);
    sunrise->setFrame(Rect(0, 0, width, height));
    compositor = std::make_unique<Compositor>(); // one per view tree
    sunrise->animate();
    const auto& r = ColorHelper::sunriseColors();
    EXPECT_TRUE(blends(renderAt(*sunrise, 1680 + 240), pi, r[0], r[1]));
    EXPECT_TRUE(blends(renderAt(*sunrise, 1680 + 1200), 0, r[4], r[4]));

    // The abstract gradient covers its view along each of the four turns.
    std::vector<double> seen;
    for (std::uint64_t seed = 0; seen.size() < 4 && seed < 100; ++seed) {
        Random::reseedShared(seed);
        auto view = std::make_shared<TransitionView>(ColorHelper::lavender());
        const double angle = view->gradientLayer().transform().angle();
        if (std::find(seen.begin(), seen.end(), angle) != seen.end())
            continue;
        seen.push_back(angle);
        compositor = std::make_unique<Compositor>();
        view->setFrame(Rect(0, 0, width, height));
        view->start();
        EXPECT_TRUE(blends(renderAt(*view, clock->monotonic()), angle, ColorHelper::lavender(),
                           view->gradientColors()[0]));
    }
    EXPECT_EQ(seen.size(), 4u);
}
