// The two gradient views as they show on screen: which colour sits at which
// edge, and the eased mix between step boundaries, on small pictures.

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "support/Rendering.h"
#include "support/ScopedEnvironment.h"
#include "transitions/SkyTransitionView.h"
#include "transitions/TransitionView.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;
using Type = SkyTransitionView::SkyTransitionType;

namespace {

constexpr int width = 60;
constexpr int height = 40;

// Where a pixel lies along the gradient's axis (0 at the first colour's edge,
// 1 at the second's) for a layer turned by `angle`.
double alongAxis(double angle, int x, int y) {
    if (angle == 0)
        return (y + 0.5) / height;
    if (angle == std::numbers::pi / 2)
        return (width - x - 0.5) / width;
    if (angle == std::numbers::pi)
        return (height - y - 0.5) / height;
    return (x + 0.5) / width;
}

// Every pixel is the linear blend of the two colours at its place on the axis.
void expectGradient(const Compositor& compositor, double angle, const Color& first,
                    const Color& second) {
    int off = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto expected = test::rgbOf(first.interpolated(second, alongAxis(angle, x, y)));
            const auto shown = test::pixelAt(compositor, x, y);
            if (!test::near(shown, expected, 2) && ++off <= 3)
                ADD_FAILURE() << "at (" << x << ", " << y << "): " << shown.r << " " << shown.g
                              << " " << shown.b << " instead of " << expected.r << " " << expected.g
                              << " " << expected.b;
        }
    EXPECT_EQ(off, 0);
}

Color mix(const Color& a, const Color& b, double t) {
    return a.interpolated(b, t);
}

class TransitionRenderingTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override { MainQueue::main().reset(); }

    void renderAt(Compositor& compositor, View& view, double seconds) {
        MainQueue::main().advance(*clock, seconds - clock->monotonic());
        test::renderFrame(compositor, view, clock->monotonic());
    }
    void renderAt(View& view, double seconds) { renderAt(compositor, view, seconds); }

    test::ScopedManualClock clock{0};
    Compositor compositor;
};

} // namespace

TEST_F(TransitionRenderingTest, ASunsetBringsEachNewColourDownFromTheTop) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunset);
    view->setFrame(Rect(0, 0, width, height));
    const auto& c = ColorHelper::sunsetColors();
    {
        SCOPED_TRACE("before the first frame: plain day sky");
        renderAt(*view, 0);
        expectGradient(compositor, 0, c[0], c[0]);
    }
    view->animate();
    {
        SCOPED_TRACE("at a step boundary: the pair itself");
        renderAt(*view, 240);
        expectGradient(compositor, 0, c[0], c[1]);
        renderAt(*view, 480);
        expectGradient(compositor, 0, c[1], c[2]);
    }
    {
        SCOPED_TRACE("in between: the eased mix of the two pairs");
        const double eased = ease(TimingFunction::easeInEaseOut, 0.25);
        renderAt(*view, 480 + 60);
        expectGradient(compositor, 0, mix(c[1], c[2], eased), mix(c[2], c[3], eased));
        renderAt(*view, 480 + 120);
        expectGradient(compositor, 0, mix(c[1], c[2], 0.5), mix(c[2], c[3], 0.5));
    }
    {
        SCOPED_TRACE("at the end: plain night sky");
        renderAt(*view, 1680);
        expectGradient(compositor, 0, c[6], c[6]);
    }
}

TEST_F(TransitionRenderingTest, ASunriseIsTurnedSoThatEachNewColourRisesFromTheBottom) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setFrame(Rect(0, 0, width, height));
    const auto& c = ColorHelper::sunriseColors();
    view->animate();
    renderAt(*view, 240);
    expectGradient(compositor, std::numbers::pi, c[0], c[1]);
    renderAt(*view, 240 + 120);
    expectGradient(compositor, std::numbers::pi, mix(c[0], c[1], 0.5), mix(c[1], c[2], 0.5));
    renderAt(*view, 1200);
    expectGradient(compositor, 0, c[4], c[4]);
}

TEST_F(TransitionRenderingTest, TheAbstractGradientShowsItsPairAlongEachOfTheFourTurns) {
    std::vector<double> seen;
    for (std::uint64_t seed = 0; seen.size() < 4 && seed < 100; ++seed) {
        Random::reseedShared(seed);
        auto view = std::make_shared<TransitionView>(ColorHelper::lavender());
        const double angle = view->gradientLayer().transform().angle();
        if (std::find(seen.begin(), seen.end(), angle) != seen.end())
            continue;
        seen.push_back(angle);
        SCOPED_TRACE("a turn of " + std::to_string(angle));
        MainQueue::main().reset();
        Compositor turned; // one per view tree
        view->setFrame(Rect(0, 0, width, height));
        const double start = clock->monotonic();
        view->start();
        const auto& c = view->gradientColors();
        renderAt(turned, *view, start);
        expectGradient(turned, angle, ColorHelper::lavender(), c[0]);
        renderAt(turned, *view, start + 60);
        expectGradient(turned, angle, c[0], c[1]);
        renderAt(turned, *view, start + 60 + 120);
        expectGradient(turned, angle, mix(c[0], c[1], 0.5), mix(c[1], c[2], 0.5));
    }
    EXPECT_EQ(seen.size(), 4u);
}
